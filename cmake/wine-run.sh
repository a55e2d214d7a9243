#!/usr/bin/env bash
# Runs a Windows executable under 64-bit Wine for CTest. The prefix lives in
# the build tree unless the caller chose one, so test runs never touch a
# user's own Wine set-up and start from a known registry.
set -euo pipefail
wine=""
for w in wine64 /usr/lib/wine/wine64 /usr/lib64/wine/wine64 wine; do
  if command -v "$w" >/dev/null 2>&1; then wine=$(command -v "$w"); break; fi
done
[ -n "$wine" ] || { echo "wine-run: no wine64 found" >&2; exit 127; }
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPREFIX=${WINEPREFIX:-${ZAV_WINEPREFIX:-$HOME/.wine-zav}}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  ( flock 9; [ -f "$WINEPREFIX/system.reg" ] || { "$(dirname "$wine")/wineboot" -i >/dev/null 2>&1 || wineboot -i >/dev/null 2>&1 || true; "$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true; } ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
