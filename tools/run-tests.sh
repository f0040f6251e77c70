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

status=0
step() {
  echo "=== $*"
  "$@" || { echo "=== FAILED: $*"; status=1; }
}

for preset in native sanitize; do
  step cmake --preset "$preset" >/dev/null
  step cmake --build --preset "$preset"
  step ctest --preset "$preset"
done

step cmake --preset fuzz >/dev/null
step cmake --build --preset fuzz
step ctest --preset fuzz

# The Windows presets are named after their Wine prefix's architecture (tools/wine-env.sh).
for preset in win32 win64; do
  step cmake --preset "$preset" >/dev/null
  step cmake --build --preset "$preset"
  export VLPD_WINE_ARCH="$preset"
  step bash tools/wine-setup.sh
  source tools/wine-env.sh
  # A fresh Wine session, started under the virtual display by the first test.
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  step xvfb-run -a ctest --preset "$preset"
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
done

# The ARM64 DLL under the emulated arm64 Wine, and the core's NEON path under qemu-user.
step bash tools/test-arm64.sh

if [ $status -eq 0 ]; then echo "=== all test presets passed"; else echo "=== some step failed"; fi
exit $status
