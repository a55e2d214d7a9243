#!/usr/bin/env bash
# Runs every test executable over and over: 20 times under ThreadSanitizer
# and 10 times under Wine (the counts can be changed with TSAN_REPEAT and
# WINE_REPEAT). A threaded test that passed once proves little; run this
# before calling threaded work done. Not part of CI: it takes a while.
#
#   tools/flake-hunt.sh [gtest filter]
#
# The one test that waits the real eight-second registration time-out is
# left out unless a filter names it.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --all
filter=${1:-*-*TimesOutAfterEightSeconds*}
tsan_repeat=${TSAN_REPEAT:-20}
wine_repeat=${WINE_REPEAT:-10}
export ZAV_WINEPREFIX="$PWD/build/wineprefix"
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
failed=()

hunt() {  # label, repeat, command...
  local label=$1 repeat=$2
  shift 2
  local log
  log=$(mktemp /tmp/flake-hunt.XXXXXX)
  printf '%-40s x%-3s ' "$label" "$repeat"
  if "$@" --gtest_repeat="$repeat" --gtest_filter="$filter" --gtest_brief=1 >"$log" 2>&1; then
    echo "ok"
    rm -f "$log"
  else
    echo "FAILED (log: $log)"
    grep -E '^\[  FAILED  \]|WARNING: ThreadSanitizer|ERROR: AddressSanitizer' "$log" | sort | uniq -c | head -20
    failed+=("$label")
  fi
}

for preset in linux-tsan windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2 >/dev/null || { echo "build of $preset failed"; exit 2; }
done

for exe in build/linux-tsan/tests/*_tests; do
  hunt "tsan $(basename "$exe")" "$tsan_repeat" "$exe"
done
for exe in build/windows/tests/*_tests.exe; do
  hunt "wine $(basename "$exe")" "$wine_repeat" cmake/wine-run.sh "$exe"
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "flaky or failing: ${failed[*]}"
  exit 1
fi
echo "nothing found"
