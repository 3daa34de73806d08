#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the whole test suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/wine-env.sh
scripts/build.sh
[ "$WP_ARCH" = i686 ] || { echo "Wine runs no 32-bit code here: testing the 64-bit build"; scripts/build.sh "$WP_ARCH"; }
wp_ensure_display
run_dir=$(mktemp -d "${TMPDIR:-/tmp}/wp-test.XXXXXX")
cleanup() {
  WINEPREFIX="$run_dir/prefix" wineserver -k 2>/dev/null || true
  rm -rf "$run_dir"
  wp_stop_display
}
trap cleanup EXIT
wp_make_prefix "$run_dir/prefix"
export WP_TEST_PREFIX="$run_dir/prefix"
export TMPDIR="$run_dir"
cd "$WP_BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" --timeout 600 "$@"
