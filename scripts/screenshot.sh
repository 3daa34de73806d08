#!/usr/bin/env bash
# Takes docs/main-window.png: the real main window with a few sample lists, under Xvfb in a
# Wine virtual desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/wine-env.sh
scripts/build.sh "$WP_ARCH"
unset DISPLAY
wp_run_session shot
work=$WP_RUN_DIR
export WINEPREFIX="$work/prefix"
mkdir -p "$work/Wachtposten"
cp "$WP_BUILD_DIR"/Wachtposten/* "$work/Wachtposten/"
printf '[Configuration]\r\nLanguage=de\r\nExclusivWindowCount=1\r\n' > "$work/Wachtposten/Config.ini"
printf '[Windows]\r\n1=Gewinnspiel - Microsoft Internet Explorer\r\n2=Casino Royal - Microsoft Internet Explorer\r\n[DontClose]\r\n1=Online-Banking - Microsoft Internet Explorer\r\n' \
  | iconv -f UTF-8 -t CP1252 > "$work/Wachtposten/User.ini"
"$WP_WINE" explorer /desktop=shot,560x600 "$work/Wachtposten/Wachtposten.exe" &
# The helper must run on the same virtual desktop to find the window, and only once that
# desktop stands: two explorers making it at once may both hang.
for _ in $(seq 1 300); do
  xwininfo -root -tree -display "$DISPLAY" | grep -q '"shot - Wine desktop"' && break
  sleep 0.1
done
"$WP_WINE" explorer /desktop=shot,560x600 "$WP_BUILD_DIR/tests/ShowMainWindow.exe"
sleep 3
mkdir -p docs
import -display "$DISPLAY" -window root -crop 560x600+0+0 docs/main-window.png
echo "wrote docs/main-window.png"
