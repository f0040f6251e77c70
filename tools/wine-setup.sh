#!/usr/bin/env bash
# Makes the locales and the Wine prefix of VLPD_WINE_ARCH (tools/wine-env.sh) once; later
# calls return at once.
set -euo pipefail
# The locales first: wine-env.sh selects one, and the shell warns when it is missing. Japanese
# (code page 932) for the suite; the others give Wine the ANSI code pages of other systems: 1252,
# 936, 949, 950 and 65001.
LOCPATH="$(cd "$(dirname "$0")/.." && pwd)/build/locale"
for locale in ja_JP en_US zh_CN ko_KR zh_TW hi_IN; do
  if [ ! -f "$LOCPATH/$locale.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$LOCPATH"
    # localedef exits 1 on mere warnings about the source; the check below is what counts.
    localedef -i $locale -f UTF-8 "$LOCPATH/$locale.UTF-8" || true
    [ -f "$LOCPATH/$locale.UTF-8/LC_CTYPE" ] || { echo "wine-setup: localedef $locale failed" >&2; exit 1; }
  fi
done
source "$(dirname "$0")/wine-env.sh"

changed=0
if [ ! -f "$WINEPREFIX/.vlpd-ready" ]; then
  changed=1
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  touch "$WINEPREFIX/.vlpd-ready"
fi
# Bump when the settings below change; a prefix made earlier gets them on the next run.
settings="settings 4"
if [ "$(cat "$WINEPREFIX/.vlpd-ready")" != "$settings" ]; then
  changed=1
  # Unmanaged windows: Xvfb runs no window manager, and Wine would wait two seconds for one
  # every time a dialog or message box closes.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # No debugger for a crashing program: winedbg would wait for ctest's timeout, and the entry
  # would pass once it was ended. Without one the program ends at once with a failure status.
  aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
  # A 64-bit prefix keeps a second copy for its 32-bit programs.
  for view in /reg:32 /reg:64; do
    wine reg add "$aedebug" /v Debugger /d '' /f $view >/dev/null 2>&1
    wine reg add "$aedebug" /v Auto /d 1 /f $view >/dev/null 2>&1
  done
  echo "$settings" > "$WINEPREFIX/.vlpd-ready"
fi
# Stop the Wine session these steps started: its desktop process would otherwise live on
# without the display that the tests run under, and every window would go there.
if [ $changed = 1 ]; then
  wineserver -k 2>/dev/null || true
  wineserver -w
fi
