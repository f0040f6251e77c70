#!/usr/bin/env bash
# Shows VLPDMenu.dll at work under Wine on the bundled sample files, from a fresh machine:
# installs the tools, builds the win32 preset and the installer package (build/win64/VLPDMenu.msi,
# with the win64 preset), registers the 32-bit DLL in a private demo prefix, installs a stand-in
# for the editor, and runs build/win32/tools/demo/vlpd_demo.exe, which plays Explorer:
# it prints the context menu, starts the editor, creates a project file through the save dialog,
# copies names to the clipboard, and saves two screenshots under build/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

bash tools/install-deps.sh
# The screenshots need a Japanese font: without one Wine draws the menu texts as boxes.
if ! fc-list :lang=ja 2>/dev/null | grep -q .; then
  echo "demo: installing a Japanese font for the screenshots"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends fonts-ipafont-gothic >/dev/null
fi

cmake --preset win32 >/dev/null
cmake --build --preset win32
# The installer package of both DLLs, made by the x86-64 build (it takes the 32-bit DLL from above).
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target installer
# 32-bit Wine, like the DLL the demo registers.
export VLPD_WINE_ARCH=win32
bash tools/wine-setup.sh

# The tests' prefix stays untouched: the demo registers the DLL in a prefix of its own.
source tools/wine-env.sh
export WINEPREFIX="$root/build/demo-prefix"
trap 'wineserver -k 2>/dev/null || true' EXIT

if [ ! -f "$WINEPREFIX/.vlpd-demo-ready" ]; then
  echo "demo: making the Wine prefix $WINEPREFIX (once)"
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # Unmanaged windows: the virtual display runs no window manager, so Wine draws the frames
  # itself and does not wait for one whenever a dialog closes.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
  wineserver -w
  touch "$WINEPREFIX/.vlpd-demo-ready"
fi

drive_c="$WINEPREFIX/drive_c"
samples_dir="$drive_c/サンプル"
dll_dir="$drive_c/VLPDMenu"
editor_dir="$drive_c/Program Files/Vellumpad"
shots="$root/build/demo"

# The editor's program and registry key, as the build's product facts name them.
fact() { sed -n "s/^#define $1 \"\(.*\)\"$/\1/p" build/win32/generated/product.h; }
editor_name="Vellumpad_$(fact VLPD_EDITOR_VERSION_DIGITS).exe"
editor_key="HKCU\\SOFTWARE\\$(fact VLPD_MAKER)\\Vellumpad ver$(fact VLPD_EDITOR_VERSION)"
editor_exe="$(find build/win32 -name "$editor_name" -print -quit)"
[ -n "$editor_exe" ] || { echo "demo: the build made no $editor_name" >&2; exit 1; }

# A fresh copy of the samples each time, so earlier runs leave nothing behind.
rm -rf "$samples_dir" "$shots"
cp -r samples "$samples_dir"
rm -f "$samples_dir/.gitattributes"
mkdir -p "$dll_dir" "$editor_dir" "$shots"
cp build/win32/VLPDMenu.dll "$dll_dir/"
cp "$editor_exe" "$editor_dir/"

echo "demo: registering C:\\VLPDMenu\\VLPDMenu.dll with regsvr32"
wine regsvr32 /s 'C:\VLPDMenu\VLPDMenu.dll' || { echo "demo: regsvr32 could not register the DLL" >&2; exit 1; }
wine reg add "$editor_key" /v INSTALL /t REG_SZ /d 'C:\Program Files\Vellumpad' /f >/dev/null
# Everything from here on runs on the virtual display, with a wineserver started there.
wineserver -k 2>/dev/null || true
wineserver -w

echo "demo: running vlpd_demo.exe under xvfb-run"
echo
# Wine's own notes go to a log; the demo's report goes to the terminal and to output.txt. The
# wineserver is stopped while the virtual display still exists, so nothing complains about it.
status=0
timeout 180 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wine build/win32/tools/demo/vlpd_demo.exe "$1" "$2" 2>"$3"
  status=$?
  wineserver -k 2>/dev/null
  exit $status' demo 'C:\サンプル' "Z:${shots//\//\\}" "$shots/wine.log" | tee "$shots/output.txt" || status=$?
exit "$status"
