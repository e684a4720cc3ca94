#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, but only the
# ones that are missing: a machine that has everything runs no apt-get at all.
set -Eeuo pipefail
trap 'echo "install-deps: installing what is missing failed (line $LINENO); run it as root (or with sudo) with Debian'"'"'s package servers in reach, then try again" >&2' ERR

packages=(
  cmake ninja-build make g++ clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libbenchmark-dev libjpeg-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine32:i386 wine64
  xvfb xdotool imagemagick x11-utils
  locales fonts-ipafont-gothic fonts-wine
  dpkg-dev zip unzip valgrind ca-certificates
)

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: enabling the i386 architecture for wine32"
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_update=1
fi

# The cross build compiles libjpeg-turbo from Debian's own source package.
src_list=/etc/apt/sources.list.d/vimbrel-deb-src.sources
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list 2>/dev/null; then
  echo "install-deps: adding a deb-src entry for Debian's sources"
  "${sudo_cmd[@]}" tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do have "$p" || missing+=("$p"); done

if [[ ${#missing[@]} -gt 0 || $need_update -eq 1 ]]; then
  "${sudo_cmd[@]}" apt-get update -qq
fi
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "install-deps: installing ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine shows Japanese text only under a Japanese locale (ANSI code page 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "install-deps: generating the ja_JP.UTF-8 locale"
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
