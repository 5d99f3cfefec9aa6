#!/usr/bin/env bash
# Runs the Windows window's driver under Wine on its own X server (Xvfb),
# against its own camsim on its own loopback range and discovery port.
#   run_wine_window.sh TOLVANE_EXE DRIVER_EXE CAMSIM MKFWIMAGE FLEET OWN_WINEPREFIX [PREFIX]
# Exits 77 (skipped) when wine64 or Xvfb is missing. With
# TOLVANE_SCREENSHOT_DIR set, the window after the batch is saved there as
# screenshot-windows.png.
set -euo pipefail
TOLVANE_EXE=$1 DRIVER=$2 CAMSIM=$3 MKFWIMAGE=$4 FLEET=$5
# A window needs a Wine desktop started on our X server: a caller's prefix may
# already have one without a display, so its initialised files are copied
# into a prefix of our own. Without a caller's prefix, ours is kept between runs.
CALLER_PREFIX=${WINEPREFIX:-}
export WINEPREFIX=$6
PREFIX=${7:-127.79.0.}
SCALE=${TOLVANE_TIME_SCALE:-0.05}

WINE=$(command -v wine64 || true)
[ -n "$WINE" ] || { [ -x /usr/lib/wine/wine64 ] && WINE=/usr/lib/wine/wine64; } || true
if [ -z "$WINE" ] || ! command -v xvfb-run >/dev/null || ! command -v Xvfb >/dev/null; then
  echo "wine64 or Xvfb missing: skipped"
  exit 77
fi
for f in "$TOLVANE_EXE" "$DRIVER"; do
  [ -f "$f" ] || { echo "missing $f (build the Windows tree first)"; exit 1; }
done

# Not ASCII, as on a laptop whose user is 张伟: the data folder, its images
# and logs carry it. Wine then needs a UTF-8 character set to pass it on.
WORK=$(mktemp -d -t tolvane-张伟-XXXXXX)
[ -n "${LC_ALL:-}" ] || export LC_CTYPE=C.UTF-8
if [ -n "$CALLER_PREFIX" ] && [ -f "$CALLER_PREFIX/system.reg" ]; then
  cp -a "$CALLER_PREFIX" "$WORK/prefix"
  export WINEPREFIX=$WORK/prefix
fi
source "$(dirname "$0")/../support/camsim_fleet.sh"
cleanup() {
  stop_camsim
  rm -rf "$WORK"
}
trap cleanup EXIT

start_camsim 0

# The program folder (UpdateFiles, logs) is the work folder; the program
# itself runs from its build tree.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export TOLVANE_TIME_SCALE=$SCALE TOLVANE_DISCOVERY_PORT=$PORT
cp "$DRIVER" "$WORK/wine_window_test.exe"
SHOT=""
[ -n "${TOLVANE_SCREENSHOT_DIR:-}" ] && SHOT=screen.bmp

cat >"$WORK/inner.sh" <<INNER
set -e
cd "$WORK"
# A new prefix takes a while; later runs reuse it.
[ -f "$WINEPREFIX/system.reg" ] || timeout 300 "$WINE" wineboot -i >/dev/null 2>&1 || true
# The template's font, by its Chinese name and its English one, drawn with
# the CJK font the system has.
for name in 宋体 SimSun; do
  timeout 60 "$WINE" reg add 'HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes' \
    /v "\$name" /d "Noto Sans CJK SC" /f >/dev/null 2>&1 || true
done
# No window manager on Xvfb: Wine draws the caption and frame itself.
timeout 60 "$WINE" reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
export TOLVANE_PROGRAM_FOLDER="\$(timeout 60 "$WINE" winepath -w "$WORK" 2>/dev/null | tr -d '\r')"
EXE="\$(timeout 60 "$WINE" winepath -w "$TOLVANE_EXE" 2>/dev/null | tr -d '\r')"
timeout 300 "$WINE" wine_window_test.exe "\$EXE" "$PREFIX" $SHOT
INNER
status=0
timeout 400 xvfb-run -a -s "-screen 0 1600x1000x24" bash "$WORK/inner.sh" || status=$?
timeout 30 "${WINE%wine64}wineserver" -k 2>/dev/null || true
timeout 30 "${WINE%wine64}wineserver" -w 2>/dev/null || true
if [ -n "$SHOT" ] && [ -f "$WORK/$SHOT" ] && command -v convert >/dev/null; then
  convert "$WORK/$SHOT" "$TOLVANE_SCREENSHOT_DIR/screenshot-windows.png" &&
    echo "saved $TOLVANE_SCREENSHOT_DIR/screenshot-windows.png"
fi
exit $status
