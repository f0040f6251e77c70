#!/usr/bin/env bash
# The long runs the test command keeps short: 10,000 right-clicks on each of two apartments with
# 200 name copies (the soak), and data objects of 20,000 names. Prints what the process held
# before and after; exits non-zero when a test fails.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh || exit 1
cmake --preset win32 >/dev/null || exit 1
cmake --build --preset win32 -j2 --target soak_tests hostile_input_tests || exit 1
bash tools/wine-setup.sh || exit 1
source tools/wine-env.sh
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
export VLPD_LONG_RUN=1
status=0
for test in soak_tests hostile_input_tests; do
  xvfb-run -a bash tools/wine-run.sh "build/win32/tests/classic_menu/$test.exe" || status=1
done
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
exit $status
