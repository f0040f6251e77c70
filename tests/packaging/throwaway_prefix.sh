#!/usr/bin/env bash
# tests/packaging/throwaway_prefix.sh PROGRAM ARGUMENT...: runs the Windows program PROGRAM in a copy
# of the 64-bit test prefix made for it alone, which it may change as no test may change the shared
# one (the Windows build number, a program in the system folder), and removes the copy after.
# VLPD_THROWAWAY_PREFIX tells the program where it runs. It stops the shared prefix's programs first:
# nothing else may run in that prefix meanwhile (the entry runs alone).
set -euo pipefail
export VLPD_WINE_ARCH=win64
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
source "$tools/wine-env.sh"
[ -f "$WINEPREFIX/.vlpd-ready" ] || bash "$tools/wine-setup.sh"

copy=$(mktemp -d /tmp/vlpd-prefix.XXXXXX)
cleanup() {
  WINEPREFIX=$copy/prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$copy/prefix wineserver -w 2>/dev/null || true
  rm -rf "$copy"
}
trap cleanup EXIT
# The wineserver keeps the registry in memory and writes it to the prefix's files up to 30 s after a
# change (RegFlushKey does not hasten that in Wine 8): a copy of a prefix whose server runs holds an
# earlier registry, with rows a test before took out again. A server that ends writes it first.
wineserver -k 2>/dev/null || true
wineserver -w
cp -a "$WINEPREFIX" "$copy/prefix"
export WINEPREFIX=$copy/prefix VLPD_THROWAWAY_PREFIX=1
# A program put in place of one of Wine's own (PowerShell's stub) runs rather than Wine's.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;powershell.exe=n"
# As tools/wine-run.sh: Wine's background services detached from our output.
wineserver -p </dev/null >/dev/null 2>&1 || true
wineboot </dev/null >/dev/null 2>&1
wine "$@"
