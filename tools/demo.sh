#!/usr/bin/env bash
# The demo: builds the provider and runs it on the built-in simulated switch
# with two telephones, in a throw-away registry and log directory.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target zavdemo zavtsp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ZAV_REGISTRY="$work/registry.reg"
export ZAV_DEMO_INSTALL_PATH="$work"
mkdir -p "$work/Logs"
build/linux/tools/zavdemo build/linux/src/libzavtsp.so
