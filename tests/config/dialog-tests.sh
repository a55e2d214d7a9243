#!/usr/bin/env bash
# The configuration dialogs of the Windows build, run under Wine. Wine opens
# windows only with a display: an Xvfb server of the test's own when Xvfb
# and netpbm are installed, and then each dialog's picture lands in the
# picture folder as a PNG; otherwise Wine's null display driver, without
# pictures.
#   dialog-tests.sh <wine-run.sh> <config_tests.exe> <picture folder>
set -euo pipefail
run=$1 exe=$2 pictures=$3
# A prefix of its own: Wine picks its display driver as a session starts,
# so the setting below needs a session of its own.
export WINEPREFIX="${ZAV_WINEPREFIX:-$HOME/.wine-zav}-config_dialogs"
export ZAV_DIALOG_TESTS=1
work=$(mktemp -d)
xvfb=""
finish() {
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

if command -v Xvfb >/dev/null && command -v bmptopnm >/dev/null && command -v pnmtopng >/dev/null; then
  # Xvfb picks a free display and names it on the pipe once it is ready.
  mkfifo "$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  read -r number <"$work/display"
  export DISPLAY=":$number" ZAV_SCREENSHOT_DIR="$pictures"
  mkdir -p "$pictures"
  # There is no window manager: Wine draws the title bars itself, and does
  # not wait (two seconds a window) for one to acknowledge a hidden window.
  settings='"Graphics"=-\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Decorated"="N"\n"Managed"="N"'
else
  echo "dialog-tests: no Xvfb or netpbm, so Wine's null display driver and no pictures"
  unset DISPLAY
  settings='"Graphics"="null"'
fi
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\n%b\n' "$settings" >"$work/display.reg"
"$run" regedit.exe /S "Z:${work//\//\\}\\display.reg"
# End the session that read the old setting; the tests start a new one.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

status=0
"$run" "$exe" --gtest_filter='ConfigDialog.*' || status=$?
for picture in "$pictures"/*.bmp; do
  [ -e "$picture" ] || continue
  bmptopnm "$picture" 2>/dev/null | pnmtopng >"${picture%.bmp}.png" 2>/dev/null && rm "$picture"
done
exit $status
