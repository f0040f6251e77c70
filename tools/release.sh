#!/usr/bin/env bash
# Builds the release with the win64 preset, and no test: the x86-64 DLL, the 32-bit and the ARM64
# DLL (each in its own preset's build tree), the installer packages build/win64/VLPDMenu.msi (per
# machine) and build/win64/VLPDMenu-user.msi (per user, with the MSIX sparse package), and their
# checksums in build/win64/SHA256SUMS. tools/run-tests.sh builds the same and tests it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target release_checksums
echo "release: build/win64/VLPDMenu.msi, build/win64/VLPDMenu-user.msi, build/win64/SHA256SUMS"
