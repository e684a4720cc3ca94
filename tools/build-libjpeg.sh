#!/usr/bin/env bash
# Builds libjpeg-turbo from Debian's source package as a static library for one
# mingw target and installs it under OUT/libjpeg-ARCH. Done once: the result is
# kept in the build tree.
set -Eeuo pipefail
trap 'echo "build-libjpeg: building libjpeg-turbo for $1 failed (line $LINENO); try '"'"'rm -rf $2/libjpeg-*'"'"' and run make again" >&2' ERR
arch=$1            # i686 or x86_64
out=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$out/libjpeg-$arch
[[ -f $prefix/lib/libjpeg.a ]] && exit 0

src=$out/libjpeg-src
if [[ ! -f $src/.unpacked ]]; then
  rm -rf "$src" && mkdir -p "$src"
  (cd "$src" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
  touch "$src/.unpacked"
fi
tree=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
[[ -n $tree ]] || { echo "build-libjpeg: Debian's libjpeg-turbo source was not unpacked" >&2; exit 1; }

work=$out/libjpeg-build-$arch
rm -rf "$work"
cmake -S "$tree" -B "$work" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR= \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
  -DWITH_JPEG8=OFF -DREQUIRE_SIMD=OFF -Wno-dev >/dev/null
cmake --build "$work" --target jpeg-static >/dev/null
mkdir -p "$prefix/lib" "$prefix/include"
cp "$work/libjpeg.a" "$prefix/lib/"
cp "$tree/jpeglib.h" "$tree/jmorecfg.h" "$tree/jerror.h" "$work/jconfig.h" "$prefix/include/"
echo "build-libjpeg: $prefix"
