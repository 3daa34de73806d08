#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the whole test suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/wine-env.sh
scripts/build.sh
[ "$WP_ARCH" = i686 ] || { echo "Wine runs no 32-bit code here: testing the 64-bit build"; scripts/build.sh "$WP_ARCH"; }
wp_run_session test
export WP_TEST_PREFIX="$WP_RUN_DIR/prefix"
export TMPDIR="$WP_RUN_DIR"
cd "$WP_BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" --timeout 600 "$@"
