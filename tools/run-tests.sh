#!/usr/bin/env bash
# Builds every preset and runs every test: native, sanitizers, fuzzers, the i686 and x86-64
# builds under Wine (each in its own prefix, with a virtual display for the dialogs), and the
# ARM64 ones under emulation (tools/test-arm64.sh). The x86-64 build also makes the release, both
# DLLs and the installer packages build/win64/VLPDMenu.msi and VLPDMenu-user.msi, which its tests
# install, build again elsewhere to compare, and sign.
# Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh || exit 1

source tools/test-steps.sh

for preset in native sanitize; do
  step cmake --preset "$preset" >/dev/null
  step cmake --build --preset "$preset"
  step ctest --preset "$preset"
done

step cmake --preset fuzz >/dev/null
step cmake --build --preset fuzz
step ctest --preset fuzz

for preset in win32 win64; do
  wine_preset "$preset"
done

# The ARM64 DLL under the emulated arm64 Wine, and the core's NEON path under qemu-user.
step bash tools/test-arm64.sh

if [ $status -eq 0 ]; then echo "=== all test presets passed"; else echo "=== some step failed"; fi
exit $status
