#!/usr/bin/env bash
# Builds the libFuzzer target and runs it from the seed corpus.
#   fuzz.sh [SECONDS] [libFuzzer flags...]   default 60 seconds
# New inputs go to build/fuzz-corpus (the seed corpus is only read); an
# input that finds a fault is written to build/fuzz-artifacts/ and the run
# fails. Run one again with: build/linux-fuzz/fuzz/zav_fuzz FILE
# With -jobs=N -workers=N the fuzzers run side by side, sharing the corpus;
# each one's output goes to build/fuzz-logs/fuzz-K.log.
#
# The fuzzer's own per-input leak check is off (-detect_leaks=0): the host
# emulator keeps every event for its audit, so every input would look like a
# leak and be scanned. Leaks are still reported once, when the run ends,
# after the last service has shut down. The leak checker reads no thread's
# TLS (use_tls=0): after modules with TLS have been unloaded it can crash
# reading it; a pointer kept only there then counts as leaked, never hidden.
set -euo pipefail
export LSAN_OPTIONS="${LSAN_OPTIONS:-use_tls=0}"
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
cmake --preset linux-fuzz >/dev/null
cmake --build --preset linux-fuzz -j2
root="$PWD"
mkdir -p build/fuzz-corpus build/fuzz-artifacts build/fuzz-logs
cd build/fuzz-logs
exec "$root/build/linux-fuzz/fuzz/zav_fuzz" "$root/build/fuzz-corpus" "$root/fuzz/corpus" \
  -max_total_time="$seconds" -detect_leaks=0 -print_final_stats=1 -artifact_prefix="$root/build/fuzz-artifacts/" "$@"
