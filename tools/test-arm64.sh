#!/usr/bin/env bash
# The ARM64 stage of tools/run-tests.sh, also run on its own (as root): installs or checks the
# cached toolchains and arm64 root file system (tools/install-arm64.sh), runs the portable core's
# tests as aarch64 Linux code (the NEON classifier among them) under qemu-user, then builds the
# ARM64 DLL and its test programs and runs them under the emulated arm64 Wine, on a virtual
# display, in build/wineprefix-arm64. Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/install-arm64.sh || exit 1

source tools/test-steps.sh

step cmake --preset arm64-core >/dev/null
step nice -n 10 cmake --build --preset arm64-core
step ctest --preset arm64-core

wine_preset arm64
exit $status
