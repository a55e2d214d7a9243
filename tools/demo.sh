#!/usr/bin/env bash
# The demo: builds the provider and runs it on the built-in simulated switch
# with two telephones, in a registry and log directory of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target zavdemo zavtapi zavtsp zavsim
work=$(mktemp -d /tmp/zavdemo.XXXXXX)
mkdir -p "$work/Logs"
export ZAV_REGISTRY="$work/registry.reg"
export ZAV_DEMO_INSTALL_PATH="$work"
build/linux/tools/zavdemo build/linux/src/libzavtsp.so build/linux/sim/libzavsim.so
echo "the registry, the trace log and the provider's console stay in $work"
