#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the benchmarks under Wine; prints their figures.
# "bench.sh [runs]" (default 10 starts of each program).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/wine-env.sh
scripts/build.sh
[ "$WP_ARCH" = i686 ] || scripts/build.sh "$WP_ARCH"
wp_run_session bench
export WINEPREFIX="$WP_RUN_DIR/prefix"
export WP_PRODUCT_DIR="Z:$(pwd -P | tr / '\\')\\$WP_BUILD_DIR\\Wachtposten"
echo "Wine $("$WP_WINE" --version 2>/dev/null), $WP_ARCH build"
"$WP_WINE" "$WP_BUILD_DIR/bench/StartupBench.exe" "${1:-10}"
"$WP_WINE" "$WP_BUILD_DIR/bench/ScanBench.exe" 60
# Only this benchmark loads the dial-up double (beside it) instead of Wine's own library.
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;rasapi32=n" "$WP_WINE" "$WP_BUILD_DIR/bench/DialerBench.exe" 20
