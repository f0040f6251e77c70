# Sourced by the scripts that run Wine: one private 32-bit prefix and a Japanese locale,
# both inside the build tree, so that Wine's ANSI code page is 932.
VLPD_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="$VLPD_ROOT/build/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
# Keep Wine from offering to download Mono and Gecko into the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$VLPD_ROOT/build/locale"
# This shell cannot load a locale from LOCPATH (only the programs it starts can): hide its warning.
# VLPD_WINE_LOCALE runs a program as on a system of another language (e.g. C.UTF-8: code page 1252).
{ export LC_ALL="${VLPD_WINE_LOCALE:-ja_JP.UTF-8}"; } 2>/dev/null
