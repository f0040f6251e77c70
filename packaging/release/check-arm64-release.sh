#!/usr/bin/env bash
# packaging/release/check-arm64-release.sh BUILD EPOCH: builds the ARM64 DLL once more from a copy of the
# source tree in another folder, at another time, with the release time EPOCH of the arm64 build
# tree BUILD, and compares it byte for byte with BUILD's. Prints both SHA-256; exits non-zero on
# a difference.
set -euo pipefail
build=$1 epoch=$2
source_tree=$(cd "$(dirname "$0")/../.." && pwd)
other=$(mktemp -d /tmp/vlpd-arm64-release.XXXXXX)
trap 'rm -rf "$other"' EXIT
tar -C "$source_tree" --exclude=./build --exclude=./.git -cf - . | tar -C "$other" -xf -
export SOURCE_DATE_EPOCH=$epoch
(cd "$other" && cmake --preset arm64 >/dev/null &&
 nice -n 10 cmake --build --preset arm64 --target VLPDMenu >"$other/build.log" 2>&1) ||
  { cat "$other/build.log"; exit 1; }
first=$(sha256sum "$build/VLPDMenu.dll" | cut -d' ' -f1)
second=$(sha256sum "$other/build/arm64/VLPDMenu.dll" | cut -d' ' -f1)
printf '%-24s %s\n' "$build/VLPDMenu.dll" "$first" "$other/build/arm64/VLPDMenu.dll" "$second"
[ "$first" = "$second" ] || { echo "the ARM64 DLL differs between the two builds"; exit 1; }
echo "the ARM64 DLL is the same in both builds"
