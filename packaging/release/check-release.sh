#!/usr/bin/env bash
# packaging/release/check-release.sh BUILD EPOCH VERSION HOST64: proves the release of the x86-64 build tree
# BUILD (made with release time EPOCH and version VERSION) reproducible and signable.
#  1. Builds the release once more (the three DLLs, both packages) from a copy of the source tree in
#     another folder, at another time, with every wixl run 2 s slower (as on a busy machine), and
#     compares the artifacts byte for byte with BUILD's.
#     A timestamp is the time-stamping server's signature of a moment, never the same twice: the
#     comparison is of the release without one (VLPD_SIGN_TIMESTAMP_URL unset).
#  2. Builds it there again with a throwaway certificate in VLPD_SIGN_CERT and VLPD_SIGN_KEY and
#     a throwaway time-stamping server on 127.0.0.1 (tests/packaging/time_stamp_server.py) in
#     VLPD_SIGN_TIMESTAMP_URL, verifies every signature, its timestamp and its SHA-256 digests
#     with osslsigncode, installs the signed
#     per-machine package under Wine, has HOST64 (installed_menu_host) take the signed DLL's
#     handler through COM, and removes the package again.
# Prints each artifact's SHA-256 in both builds side by side; exits non-zero on any difference.
set -euo pipefail
build=$1 epoch=$2 version=$3 host64=$4
source_tree=$(cd "$(dirname "$0")/../.." && pwd)
tools=$source_tree/tools
builds=$(dirname "$build")
artifacts=(win64/VLPDMenu.dll arm64/VLPDMenu.dll win32/VLPDMenu.dll win64/VLPDMenu.msi win64/VLPDMenu-user.msi win64/VLPDMenu.msix)

other=$(mktemp -d /tmp/vlpd-release.XXXXXX)
tsa_PID=
trap '[ -z "$tsa_PID" ] || kill "$tsa_PID"; rm -rf "$other"' EXIT
tar -C "$source_tree" --exclude=./build --exclude=./.git -cf - . | tar -C "$other" -xf -
# The same signing identity as BUILD's (signing_identity.txt: "certificate PATH SHA-256", "key ...").
unset VLPD_SIGN_CERT VLPD_SIGN_KEY VLPD_SIGN_TIMESTAMP_URL
identity() { sed -n "s/^$1 \(.*\) [0-9a-f]*\$/\1/p" "$build/signing_identity.txt"; }
if [ -n "$(identity certificate)" ]; then
  export VLPD_SIGN_CERT=$(identity certificate) VLPD_SIGN_KEY=$(identity key)
fi
export SOURCE_DATE_EPOCH=$epoch
release() {
  (cd "$other" && cmake --preset win64 -DVLPD_VERSION="$version" "$@" >/dev/null &&
   cmake --build --preset win64 --target release_checksums >"$other/build.log" 2>&1) ||
    { cat "$other/build.log"; exit 1; }
}
# A slow build must make the same bytes: no time may enter a package but the release time.
mkdir "$other/slow"
printf '#!/bin/sh\nsleep 2\nexec %s "$@"\n' "$(command -v wixl)" >"$other/slow/wixl"
chmod +x "$other/slow/wixl"
# The same publisher of the sparse package as BUILD's (its certificate's subject when it signs).
PATH="$other/slow:$PATH" release \
  -DVLPD_PACKAGE_PUBLISHER="$(sed -n 's/^VLPD_PACKAGE_PUBLISHER:STRING=//p' "$build/CMakeCache.txt")"

status=0
printf '%-24s %-64s %s\n' artifact "SHA-256 of $builds" "SHA-256 of $other/build"
for artifact in "${artifacts[@]}"; do
  first=$(sha256sum "$builds/$artifact" | cut -d' ' -f1)
  second=$(sha256sum "$other/build/$artifact" | cut -d' ' -f1)
  printf '%-24s %s %s\n' "$artifact" "$first" "$second"
  [ "$first" = "$second" ] || { echo "  differs: $artifact"; status=1; }
done
[ $status -eq 0 ] || exit 1

# Signed with a throwaway certificate: the DLLs before they are packed, then both packages.
# Its subject is of the kind code-signing certificates have (a state, a comma in a name).
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/C=JP/ST=Tokyo/O=Kastel, Inc./CN=VLPDMenu release check" \
  -keyout "$other/key.pem" -out "$other/cert.pem" 2>/dev/null
export VLPD_SIGN_CERT=$other/cert.pem VLPD_SIGN_KEY=$other/key.pem
# The time-stamping server prints its address once it listens.
mkdir "$other/tsa"
coproc tsa { exec python3 "$source_tree/tests/packaging/time_stamp_server.py" "$other/tsa"; }
read -r VLPD_SIGN_TIMESTAMP_URL <&"${tsa[0]}"
export VLPD_SIGN_TIMESTAMP_URL
# The sparse package's publisher is the certificate's subject, written as Windows writes it.
release -DVLPD_PACKAGE_PUBLISHER='CN=VLPDMenu release check, O="Kastel, Inc.", S=Tokyo, C=JP'
# The cabinet's files, named by their File ids: the x86-64 and the ARM64 DLL share one install path.
mkdir "$other/unpacked"
msiinfo extract "$other/build/win64/VLPDMenu.msi" VLPDMenu.cab >"$other/VLPDMenu.cab"
gcab -x -C "$other/unpacked" "$other/VLPDMenu.cab"
packed=("$other"/unpacked/Dll{64,Arm64,32})
for file in "${artifacts[@]/#/$other/build/}" "${packed[@]}"; do
  osslsigncode verify -CAfile "$other/cert.pem" -TSA-CAfile "$other/tsa/tsa-root.pem" -in "$file" \
    >"$other/verify.log" 2>&1 || { cat "$other/verify.log"; echo "not signed: $file"; exit 1; }
  grep -q '^Timestamp Server Signature verification: ok' "$other/verify.log" ||
    { cat "$other/verify.log"; echo "no timestamp: $file"; exit 1; }
  digests=$(sed -n 's/^Message digest algorithm *: //p' "$other/verify.log" | sort -u)
  [ "$digests" = SHA256 ] || { cat "$other/verify.log"; echo "not signed with SHA-256 alone: $file"; exit 1; }
  echo "signature and timestamp verified: ${file#"$other"/}"
done

# The signed package installs, and its signed DLL serves the handler.
export VLPD_WINE_ARCH=win64
on_drive_z() { local path=${1//\//\\}; echo "Z:$path"; }
mkdir "$other/sample" && echo text >"$other/sample/memo.txt"
package=$(on_drive_z "$other/build/win64/VLPDMenu.msi")
"$tools/wine-run.sh" msiexec /i "$package" /qn
output=$("$tools/wine-run.sh" "$host64" "$(on_drive_z "$other/sample")" memo.txt | tr -d '\r')
"$tools/wine-run.sh" msiexec /x "$package" /qn
echo "$output"
grep -qi '^module .*\\VLPDMenu\\VLPDMenu.dll$' <<<"$output" && grep -qx 'commands \([0-9]*\) of \1' <<<"$output" ||
  { echo "the signed package's handler did not serve its menu"; exit 1; }
echo "the signed package installs and its DLL serves the handler"
