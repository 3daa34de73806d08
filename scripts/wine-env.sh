# Sourced by the project's scripts: a display and a Wine prefix for running the programs.

export WINEDEBUG=-all
# Keeps overrides the caller set, such as a test's own test double (rasapi32=n).
case ";${WINEDLLOVERRIDES:-};" in
  *";mscoree,mshtml=;"*) ;;
  *) WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" ;;
esac
export WINEDLLOVERRIDES

_wp_started_xvfb=""

# Which Windows architecture Wine runs here. The programs are 32-bit, but 32-bit Wine needs a
# kernel that runs 32-bit Linux code; some machines (virtual ones among them) cannot, and there
# the 64-bit build of the same sources is what runs.
if [ -z "${WP_ARCH:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WP_ARCH=i686
  else
    WP_ARCH=x86_64
  fi
fi
export WP_ARCH
if [ "$WP_ARCH" = i686 ]; then
  export WP_WINE=/usr/lib/wine/wine
  WP_BUILD_DIR=build
else
  export WP_WINE=/usr/lib/wine/wine64
  export WINELOADER=/usr/lib/wine/wine64
  WP_BUILD_DIR=build-x64
fi

# Uses $DISPLAY when there is one; otherwise starts Xvfb on a free display number.
wp_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  _wp_started_xvfb=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  echo "no display found: started Xvfb on $DISPLAY"
}

wp_stop_display() {
  if [ -n "$_wp_started_xvfb" ]; then
    kill "$_wp_started_xvfb" 2>/dev/null || true
    wait "$_wp_started_xvfb" 2>/dev/null || true
    _wp_started_xvfb=""
  fi
}

# Creates a ready Wine prefix in $1 unless one is there already, and gives it Wine's own fonts.
wp_make_prefix() {
  local dir=$1
  if [ ! -f "$dir/system.reg" ]; then
    mkdir -p "$dir"
    WINEPREFIX="$dir" "$WP_WINE" wineboot -u >/dev/null 2>&1 || true
    WINEPREFIX="$dir" wineserver -w
  fi
  wp_install_fonts "$dir"
}

# This Wine does not look where Debian's fonts-wine puts Wine's fonts, so without a copy in the
# prefix "MS Sans Serif" falls back to a font about 30% wider and the dialogs cut their texts.
wp_install_fonts() {
  local fonts="$1/drive_c/windows/Fonts"
  [ -d /usr/share/wine/fonts ] || { echo "fonts-wine is missing: run scripts/setup.sh" >&2; return 1; }
  mkdir -p "$fonts"
  # Not "cp -n": some coreutils versions fail when it skips a file that is there already.
  local f
  for f in /usr/share/wine/fonts/*; do
    [ -e "$fonts/${f##*/}" ] || cp "$f" "$fonts/"
  done
}

# A session of its own for one script run: a temporary folder $WP_RUN_DIR with a ready Wine
# prefix in $WP_RUN_DIR/prefix, a display, and a trap that ends Wine and removes it all on exit.
wp_run_session() {
  WP_RUN_DIR=$(mktemp -d "${TMPDIR:-/tmp}/wp-$1.XXXXXX")
  trap _wp_end_session EXIT
  wp_ensure_display
  wp_make_prefix "$WP_RUN_DIR/prefix"
}

_wp_end_session() {
  WINEPREFIX="$WP_RUN_DIR/prefix" wineserver -k 2>/dev/null || true
  rm -rf "$WP_RUN_DIR"
  wp_stop_display
}
