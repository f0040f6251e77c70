# Sourced by the scripts that run Wine: one private prefix per architecture and a Japanese locale,
# all inside the build tree, so that Wine's ANSI code page is 932. VLPD_WINE_ARCH picks the prefix:
# win32 (the default; build/wineprefix), win64 (build/wineprefix64, for the x86-64 build, where
# 32-bit programs run too) or arm64 (build/wineprefix-arm64). The toolchains' test wrapper sets it
# for each preset.
VLPD_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
case "${VLPD_WINE_ARCH:=win32}" in
  win32) export WINEPREFIX="$VLPD_ROOT/build/wineprefix" ;;
  win64) export WINEPREFIX="$VLPD_ROOT/build/wineprefix64" ;;
  # The ARM64 build: the arm64 Wine of the emulated root file system (tools/arm64-rootfs.sh),
  # reached under the usual names, in a 64-bit prefix of its own.
  arm64)
    export WINEPREFIX="$VLPD_ROOT/build/wineprefix-arm64"
    # Every program takes seconds to start under qemu: longer than the open command waits for the
    # editor (tests/support/stand_in_editor.h).
    export VLPD_SLOW_PROCESS_START=1
    case ":$PATH:" in *":$VLPD_ROOT/tools/arm64-wine:"*) ;; *) export PATH="$VLPD_ROOT/tools/arm64-wine:$PATH" ;; esac
    ;;
  *) echo "wine-env: VLPD_WINE_ARCH must be win32, win64 or arm64, not $VLPD_WINE_ARCH" >&2; return 1 ;;
esac
export VLPD_WINE_ARCH
export WINEARCH="${VLPD_WINE_ARCH/arm64/win64}"
export WINEDEBUG=-all
# Keep Wine from offering to download Mono and Gecko into the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$VLPD_ROOT/build/locale"
# This shell cannot load a locale from LOCPATH (only the programs it starts can): hide its warning.
# VLPD_WINE_LOCALE runs a program as on a system of another language (e.g. C.UTF-8: code page 1252).
{ export LC_ALL="${VLPD_WINE_LOCALE:-ja_JP.UTF-8}"; } 2>/dev/null
