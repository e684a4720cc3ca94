#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, but only the
# ones that are missing: a machine that has everything runs no apt-get at all.
#
# A package mirror in the middle of a sync is common: one index of it (the
# security suite's i386 list, say) cannot be fetched while every other one
# can. That is a warning here, not the end. When the install then fails
# because a library's newer version sits in the suite whose list is missing
# (so that its i386 twin cannot match), it is tried once more with the
# candidates of the other suites, never downgrading or removing a package.
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

# Only for the retry, and gone when this script ends, however it ends.
retry_preferences=/etc/apt/preferences.d/vimbrel-install-retry.pref
work=$(mktemp -d)
clean_up() {
  rm -rf "$work"
  if [[ -e $retry_preferences ]]; then "${sudo_cmd[@]}" rm -f "$retry_preferences"; fi
}
trap clean_up EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

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

# The suites (as a dists/ name: bookworm-security) and the indexes that
# `apt-get update` could not fetch.
failed_suites=()
failed_indexes=()

note_failed_index() {
  local index=$1 suite=$2 reason=$3
  echo "install-deps: warning: could not fetch $index${reason:+ ($reason)}; going on with the package lists apt has" >&2
  failed_indexes+=("$index")
  if [[ -n $suite && " ${failed_suites[*]} " != *" $suite "* ]]; then failed_suites+=("$suite"); fi
}

update_package_lists() {
  local log=$work/update.log line
  if "${sudo_cmd[@]}" apt-get update -qq >"$log" 2>&1; then return 0; fi
  local noted=0
  while IFS= read -r line; do
    if [[ $line =~ ^[EW]:\ Failed\ to\ fetch\ ([^[:space:]]+)[[:space:]]+(.*)$ ]]; then
      local url=${BASH_REMATCH[1]} reason=${BASH_REMATCH[2]} suite=
      # A list of the suite's (not its Release file): apt has the others.
      if [[ $url =~ /dists/([^/]+)/[^/]+/ ]]; then suite=${BASH_REMATCH[1]}; fi
      note_failed_index "$url" "$suite" "${reason%% \[IP:*}"
      noted=1
    elif [[ $line =~ ^E:\ The\ repository\ \'([^\']*)\'\ (.*)$ ]]; then
      # No Release file: apt takes nothing from it, so nothing to steer clear of.
      note_failed_index "${BASH_REMATCH[1]}" "" "${BASH_REMATCH[2]%.}"
      noted=1
    fi
  done <"$log"
  if [[ $noted -eq 0 ]]; then
    # Not an index of its own: apt's own words, then go on all the same.
    grep -E '^(E|W):' "$log" | sed 's/^/install-deps: warning: apt-get update: /' >&2 || true
    echo "install-deps: warning: apt-get update failed; going on with the package lists apt has" >&2
  fi
}

apt_install() {
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
}

give_up() {
  local still_missing=() p
  for p in "${missing[@]}"; do have "$p" || still_missing+=("$p"); done
  {
    echo "install-deps: could not install ${still_missing[*]:-${missing[*]}}: $1"
    if [[ ${#failed_indexes[@]} -gt 0 ]]; then
      echo "install-deps: these package indexes could not be fetched: ${failed_indexes[*]}"
      echo "install-deps: the package mirror is most likely in the middle of a sync; wait for it (usually well within an hour), then run 'make deps'"
    else
      echo "install-deps: run 'make deps' again with Debian's package servers in reach"
    fi
  } >&2
  exit 1
}

# The packages that a simulated install of "$@" would remove or downgrade, one
# per line; nothing when it would do neither.
removed_or_downgraded() {
  local plan=$work/plan.log name old new
  "${sudo_cmd[@]}" apt-get -s install --no-install-recommends "$@" >"$plan" 2>&1 || return 1
  sed -n 's/^Remv \([^ ]*\).*/\1 (removed)/p' "$plan"
  while read -r name old new; do
    if dpkg --compare-versions "$new" lt "$old"; then echo "$name ($old to $new)"; fi
  done < <(sed -n 's/^Inst \([^ ]*\) \[\([^]]*\)\] (\([^ ]*\) .*/\1 \2 \3/p' "$plan")
}

# Once more, with the suites whose indexes failed below every other one, so
# that each package takes its candidate from a suite that apt has whole.
install_from_the_other_suites() {
  local suite
  if [[ ${#failed_suites[@]} -eq 0 ]]; then give_up "apt-get install failed (see above)"; fi
  echo "install-deps: trying once more with no candidate from ${failed_suites[*]}, whose package lists are not whole" >&2
  for suite in "${failed_suites[@]}"; do
    printf 'Package: *\nPin: release n=%s\nPin-Priority: 100\n\nPackage: *\nPin: release a=%s\nPin-Priority: 100\n\n' \
      "$suite" "$suite"
  done | "${sudo_cmd[@]}" tee "$retry_preferences" >/dev/null
  local changes
  if ! changes=$(removed_or_downgraded "${missing[@]}"); then
    give_up "apt-get finds no way to install them without those package lists"
  fi
  if [[ -n $changes ]]; then
    give_up "that would remove or downgrade installed packages: $(tr "\n" " " <<<"$changes")"
  fi
  if ! apt_install --no-remove "${missing[@]}"; then give_up "apt-get install failed again (see above)"; fi
  "${sudo_cmd[@]}" rm -f "$retry_preferences"
}

if [[ ${#missing[@]} -gt 0 || $need_update -eq 1 ]]; then
  update_package_lists
fi
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "install-deps: installing ${missing[*]}"
  if ! apt_install "${missing[@]}"; then install_from_the_other_suites; fi
fi

# Wine shows Japanese text only under a Japanese locale (ANSI code page 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "install-deps: generating the ja_JP.UTF-8 locale"
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
