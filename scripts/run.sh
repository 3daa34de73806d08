#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Wachtposten under Wine. Its settings and lists
# stay in build/Wachtposten/ beside the exe, as on Windows.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/wine-env.sh
scripts/build.sh
[ "$WP_ARCH" = i686 ] || { echo "Wine runs no 32-bit code here: starting the 64-bit build"; scripts/build.sh "$WP_ARCH"; }
wp_ensure_display
trap wp_stop_display EXIT
export WINEPREFIX="$PWD/$WP_BUILD_DIR/wineprefix"
wp_make_prefix "$WINEPREFIX"
echo "starting Wachtposten on display $DISPLAY (it sits in the tray; end it with Ctrl+C)"
"$WP_WINE" "$WP_BUILD_DIR/Wachtposten/Wachtposten.exe" "$@"
