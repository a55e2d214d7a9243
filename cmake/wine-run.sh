#!/usr/bin/env bash
# Runs a Windows executable under 64-bit Wine for CTest. Test runs never
# touch a user's own Wine set-up: the prefix lives in the build tree unless
# the caller chose one.
#
# Each test executable gets a prefix of its own, so that its registry (the
# provider keeps its configuration there) is its own and suites can run in
# parallel. The prefixes are made from one template booted once; the large,
# read-only part (drive_c) is hard-linked, the registry files are copied.
set -euo pipefail
wine=""
for w in wine64 /usr/lib/wine/wine64 /usr/lib64/wine/wine64 wine; do
  if command -v "$w" >/dev/null 2>&1; then wine=$(command -v "$w"); break; fi
done
[ -n "$wine" ] || { echo "wine-run: no wine64 found" >&2; exit 127; }
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
template=${ZAV_WINEPREFIX:-$HOME/.wine-zav}
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$template-$(basename "${1%.exe}")"
fi

boot() {  # prefix
  mkdir -p "$1"
  "$(dirname "$wine")/wineboot" -i >/dev/null 2>&1 || wineboot -i >/dev/null 2>&1 || true
  "$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true
}

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      if [ "$WINEPREFIX" = "$template" ]; then
        boot "$template"
      else
        ( flock 8; [ -f "$template/system.reg" ] || WINEPREFIX="$template" boot "$template" ) 8>"$template.lock"
        rm -rf "$WINEPREFIX.tmp"
        mkdir -p "$WINEPREFIX.tmp"
        cp -al "$template/drive_c" "$WINEPREFIX.tmp/drive_c"
        # The update stamp too: without it Wine "updates" the new prefix on
        # its first start, rewriting drive_c's files in place, and those are
        # the template's and every other prefix's through the hard links.
        cp -a "$template/dosdevices" "$template"/*.reg "$template/.update-timestamp" "$WINEPREFIX.tmp/"
        mv "$WINEPREFIX.tmp" "$WINEPREFIX"
      fi
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
