#!/usr/bin/env bash
# Shows VLPDMenu.dll at work under Wine on the bundled sample files, from a fresh machine:
# installs the tools, builds what the demo shows and no more (the win32 preset's DLL, stand-in
# editor and demo program; tools/release.sh builds the installers, tools/run-tests.sh the rest),
# registers the 32-bit DLL in a private demo prefix, installs the stand-in for the editor, and runs
# build/win32/tools/demo/vlpd_demo.exe, which plays Explorer: it prints the context menu, starts
# the editor, creates a project file through the save dialog, copies names to the clipboard, and
# saves two screenshots under build/demo/. What it prints names paths relative to this folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

bash tools/install-deps.sh
# The screenshots need a Japanese font: without one Wine draws the menu texts as boxes.
if ! fc-list :lang=ja 2>/dev/null | grep -q .; then
  echo "demo: installing a Japanese font for the screenshots"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends fonts-ipafont-gothic >/dev/null
fi

# The build's own lines name the machine's paths: they go to a log, shown only when it fails.
echo "demo: building VLPDMenu.dll, the stand-in editor and the demo program (build/win32)"
cmake --preset win32 >/dev/null
if ! cmake --build --preset win32 --target VLPDMenu stand_in_editor vlpd_demo >build/demo-build.log 2>&1; then
  tail -n 30 build/demo-build.log >&2
  echo "demo: the build failed (build/demo-build.log)" >&2
  exit 1
fi
# 32-bit Wine, like the DLL the demo registers.
export VLPD_WINE_ARCH=win32
bash tools/wine-setup.sh

# The tests' prefix stays untouched: the demo registers the DLL in a prefix of its own.
source tools/wine-env.sh
prefix=build/demo-prefix
export WINEPREFIX="$root/$prefix"
trap 'wineserver -k 2>/dev/null || true' EXIT

if [ ! -f "$WINEPREFIX/.vlpd-demo-ready" ]; then
  echo "demo: making the Wine prefix $prefix (once)"
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
shots=build/demo

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
# screenshot folder is given relative to this folder (Wine's current folder too), so the report
# shows it so. The wineserver is stopped while the virtual display still exists, so nothing
# complains about it.
status=0
timeout 180 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wine build/win32/tools/demo/vlpd_demo.exe "$1" "$2" 2>"$3"
  status=$?
  wineserver -k 2>/dev/null
  exit $status' demo 'C:\サンプル' "${shots//\//\\}" "$shots/wine.log" | tee "$shots/output.txt" || status=$?
exit "$status"
