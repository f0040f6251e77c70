#!/usr/bin/env bash
# The ARM64 stage of tools/run-tests.sh, also run on its own (as root): installs or checks the
# cached toolchains and arm64 root file system (tools/install-arm64.sh), runs the portable core's
# tests as aarch64 Linux code (the NEON classifier among them) under qemu-user, then builds the
# ARM64 DLL and its test programs and runs them under the emulated arm64 Wine, on a virtual
# display, in build/wineprefix-arm64. Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/install-arm64.sh || exit 1

status=0
step() {
  echo "=== $*"
  "$@" || { echo "=== FAILED: $*"; status=1; }
}

step cmake --preset arm64-core >/dev/null
step nice -n 10 cmake --build --preset arm64-core
step ctest --preset arm64-core

step cmake --preset arm64 >/dev/null
step nice -n 10 cmake --build --preset arm64
export VLPD_WINE_ARCH=arm64
step bash tools/wine-setup.sh
source tools/wine-env.sh
# A fresh Wine session, started under the virtual display by the first test.
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
step xvfb-run -a ctest --preset arm64
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
exit $status
