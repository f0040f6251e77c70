#!/usr/bin/env bash
# packaging/msi/build_package.sh OUTPUT EPOCH PACKAGE_CODE DLL64 DLLARM64 DLL32 WIXL_ARGUMENT...
# Makes the package OUTPUT with wixl, the same bytes from the same inputs: the DLLs are packed from
# copies dated EPOCH (the cabinet keeps file times), wixl runs with its clock stopped at EPOCH (the
# summary's creation and save times), and the package code, which wixl draws at random, is set to
# PACKAGE_CODE afterwards. wixl gets -D Dll64=... -D DllArm64=... -D Dll32=... for the copies,
# relative to the folder of OUTPUT where it runs. What wixl cannot write (custom action types,
# components' conditions) is set then (after_wixl.sql), with the same clock. The package is then
# signed when the environment gives a certificate (packaging/release/sign.sh).
set -euo pipefail
output=$1 epoch=$2 package_code=$3 dll64=$4 dll_arm64=$5 dll32=$6
shift 6

here=$(cd "$(dirname "$0")" && pwd)
sign=$here/../release/sign.sh
folder=$(dirname "$output")
payload=$(basename "$output").payload
cd "$folder"
rm -rf "$payload"
mkdir -p "$payload/x64" "$payload/arm64" "$payload/x86"
cp "$dll64" "$payload/x64/VLPDMenu.dll"
cp "$dll_arm64" "$payload/arm64/VLPDMenu.dll"
cp "$dll32" "$payload/x86/VLPDMenu.dll"
touch -d "@$epoch" "$payload"/*/VLPDMenu.dll

clock=$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S')
TZ=UTC faketime -f "$clock" \
  wixl --output "$output" -D Dll64="$payload/x64/VLPDMenu.dll" -D DllArm64="$payload/arm64/VLPDMenu.dll" \
  -D Dll32="$payload/x86/VLPDMenu.dll" "$@"
rm -rf "$payload"

while read -r query; do
  case $query in '#'* | '') ;; *) TZ=UTC faketime -f "$clock" msibuild "$output" -q "$query" ;; esac
done <"$here/after_wixl.sql"

# msibuild sets subject, author, template and package code together: the first three as wixl wrote them.
summary=$(msiinfo suminfo "$output")
field() { sed -n "s/^$1: //p" <<<"$summary"; }
msibuild "$output" -s "$(field Subject)" "$(field Author)" "$(field Template)" "{$package_code}"

SOURCE_DATE_EPOCH=$epoch bash "$sign" "$output"
