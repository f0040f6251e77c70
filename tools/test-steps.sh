# Sourced by the test scripts: `step` runs a command and notes a failure without stopping, and
# `wine_preset` builds a Windows preset and runs its tests in the preset's own Wine prefix (named
# after its architecture, tools/wine-env.sh) on a virtual display. `status` is 1 after any failure.
status=0
step() {
  echo "=== $*"
  "$@" || { echo "=== FAILED: $*"; status=1; }
}

wine_preset() {
  step cmake --preset "$1" >/dev/null
  step nice -n 10 cmake --build --preset "$1"
  export VLPD_WINE_ARCH="$1"
  step bash tools/wine-setup.sh
  source tools/wine-env.sh
  # A fresh Wine session, started under the virtual display by the first test.
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  step xvfb-run -a ctest --preset "$1"
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}
