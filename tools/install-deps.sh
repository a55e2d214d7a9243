#!/usr/bin/env bash
# Installs the Debian packages the build needs and that are missing.
#   install-deps.sh          what the native build and its tests need
#   install-deps.sh --all    also the Windows cross build, Wine, the installer
#                            builder (nsis), a display for the dialog tests
#                            with a picture converter (xvfb, netpbm), and
#                            clang with its sanitizer runtimes for the fuzzer
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev googletest)
if [ "${1:-}" = "--all" ]; then
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 nsis xvfb netpbm clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
