#!/usr/bin/env bash
# Builds the timing programs of the i686 build and runs them under Wine: the classifier paths, the
# right-click for one and 7,500 names (ASCII and outside the code page), and a project of 7,499
# files (the writer alone, and the whole command through the real save dialog), each beside its
# reference, with the ratios measured in the same run. Timings, not tests: nothing here passes or fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset win32 -B build/win32-bench -DVLPD_BENCH=ON >/dev/null
cmake --build build/win32-bench --target classify_bench menu_bench project_bench VLPDMenu
bash tools/wine-setup.sh
source tools/wine-env.sh
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
# A display: a creation that runs past a second shows its progress window, as in Explorer.
xvfb-run -a bash -c '
  for bench in classify_bench menu_bench project_bench; do
    echo "=== $bench"
    tools/wine-run.sh "build/win32-bench/bench/wine/$bench.exe"
  done
  wineserver -k 2>/dev/null'
