#!/usr/bin/env bash
# Configures and builds everything. "build.sh" builds the 32-bit programs into build/ (the
# folder to copy to Windows is build/Wachtposten/); "build.sh x86_64" builds the same sources
# as 64-bit programs into build-x64/.
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${1:-i686}
dir=build
[ "$arch" = i686 ] || dir=build-x64
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" >/dev/null
fi
cmake --build "$dir" -- -j"$(nproc)" | { grep -v -E '^\[[0-9]+/[0-9]+\] ' || true; }
test "${PIPESTATUS[0]}" -eq 0
