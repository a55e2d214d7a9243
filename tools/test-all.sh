#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: Linux under
# ASan+UBSan and under TSan (the short soak among them), the Windows build
# under Wine, and a bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --all
# Tests run in throw-away registries and Wine prefixes, never the user's.
export ZAV_WINEPREFIX="$PWD/build/wineprefix"
status=0
for preset in linux-asan linux-tsan windows; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2
  ctest --preset "$preset" -j2 || status=1
done
echo "=== fuzzing ==="
tools/fuzz.sh "${ZAV_FUZZ_SECONDS:-120}" || status=1
exit $status
