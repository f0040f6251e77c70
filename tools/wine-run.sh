#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix for VLPD_WINE_ARCH (the CMake
# cross-compiling emulator).
set -euo pipefail
here="$(dirname "$0")"
source "$here/wine-env.sh"
[ -f "$WINEPREFIX/.vlpd-ready" ] || "$here/wine-setup.sh"
# Start the wineserver and Wine's own background services detached from our output, so that a
# caller waiting for the end of our output (ctest) does not wait for them. Cheap when running.
wineserver -p </dev/null >/dev/null 2>&1 || true
wineboot </dev/null >/dev/null 2>&1
exec wine "$@"
