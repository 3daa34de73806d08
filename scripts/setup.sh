#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine. Idempotent: when everything
# is there it checks quickly and prints nothing.
set -euo pipefail

need_pkgs=(g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 cmake ninja-build googletest dpkg-dev
           wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils imagemagick)

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  # A mirror in the middle of a sync can fail one index (seen: bookworm-security's i386 list);
  # the others are still good, so go on and let the install say whether it can be done.
  $SUDO apt-get update -qq || echo "setup: apt-get update failed in part; trying the install anyway" >&2
  install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)
  if ! $SUDO "${install[@]}" "${missing[@]}" >/dev/null; then
    # Without that index the i386 libraries that wine32 needs exist only in the release's own
    # versions, while the amd64 ones would come from the security suite, and Multi-Arch wants
    # both alike: take the release's versions.
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$codename" ] || { echo "setup: installing ${missing[*]} failed" >&2; exit 1; }
    echo "setup: retrying with the packages of $codename itself" >&2
    $SUDO "${install[@]}" -t "$codename" "${missing[@]}" >/dev/null
  fi
fi

# libjpeg for the warning dialog's pictures. Debian ships no MinGW build of it, so Debian's own
# source package is cross-built as a static library into .deps/ (ignored by git), one prefix per
# architecture: .deps/libjpeg-i686 and .deps/libjpeg-x86_64, where CMake looks for it.
root=$(cd "$(dirname "$0")/.." && pwd)
jpeg_missing=()
for arch in i686 x86_64; do
  [ -f "$root/.deps/libjpeg-$arch/lib/libjpeg.a" ] || jpeg_missing+=("$arch")
done

if [ ${#jpeg_missing[@]} -gt 0 ]; then
  echo "setup: building libjpeg for ${jpeg_missing[*]}"
  # Source packages need deb-src entries: a copy of the machine's own list with that type.
  if ! grep -qsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/*.sources \
       /etc/apt/sources.list.d/*.list; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $SUDO tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
    else
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
        $SUDO tee /etc/apt/sources.list.d/debian-src.list >/dev/null
    fi
  fi
  $SUDO apt-get update -qq </dev/null || echo "setup: apt-get update failed in part; trying the source package anyway" >&2
  src_dir=$(mktemp -d "${TMPDIR:-/tmp}/wp-libjpeg.XXXXXX")
  trap 'rm -rf "$src_dir"' EXIT
  (cd "$src_dir" && apt-get source -qq libjpeg-turbo </dev/null >"$src_dir/log-source" 2>&1) || true
  src=$(find "$src_dir" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
  [ -n "$src" ] || { cat "$src_dir/log-source" >&2; echo "setup: apt-get source libjpeg-turbo failed" >&2; exit 1; }
  for arch in "${jpeg_missing[@]}"; do
    prefix="$root/.deps/libjpeg-$arch"
    cmake -S "$src" -B "$src_dir/build-$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
          -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR="$prefix/lib" \
          -DWITH_SIMD=0 -DENABLE_SHARED=0 -DWITH_TURBOJPEG=0 >"$src_dir/log-$arch" 2>&1 &&
      cmake --build "$src_dir/build-$arch" >>"$src_dir/log-$arch" 2>&1 &&
      cmake --install "$src_dir/build-$arch" >>"$src_dir/log-$arch" 2>&1 ||
      { cat "$src_dir/log-$arch" >&2; echo "setup: building libjpeg for $arch failed" >&2; exit 1; }
  done
fi
