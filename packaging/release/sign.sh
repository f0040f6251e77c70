#!/usr/bin/env bash
# packaging/release/sign.sh FILE...: signs each file in place with osslsigncode (a PE DLL or EXE, an MSI, an
# MSIX or APPX package: osslsigncode tells them apart by their contents) when VLPD_SIGN_CERT and
# VLPD_SIGN_KEY name the PEM certificate and private key; without either it changes nothing, so an
# ordinary build stays unsigned, and with one alone it stops (a release meant to be signed is not
# shipped unsigned). The signing time is SOURCE_DATE_EPOCH when set, so a signed release stays
# byte-for-byte reproducible (the RSA PKCS#1 v1.5 signature is deterministic). When VLPD_SIGN_TIMESTAMP_URL
# names an RFC 3161 time-stamping server, each signature also gets its timestamp, so Windows still trusts
# it once the certificate has expired; a timestamp is the server's own signature of the moment, so such a
# release is the reproducible one (made without the variable) plus its timestamps.
set -euo pipefail

if [ -z "${VLPD_SIGN_CERT:-}" ] && [ -z "${VLPD_SIGN_KEY:-}" ]; then
  exit 0
fi
for variable in VLPD_SIGN_CERT VLPD_SIGN_KEY; do
  if [ -z "${!variable:-}" ]; then
    echo "sign.sh: $variable is not set: set both VLPD_SIGN_CERT and VLPD_SIGN_KEY to sign, or neither" >&2
    exit 1
  fi
done
for pem in "$VLPD_SIGN_CERT" "$VLPD_SIGN_KEY"; do
  [ -r "$pem" ] || { echo "sign.sh: cannot read $pem" >&2; exit 1; }
done

time_args=()
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  time_args=(-time "$SOURCE_DATE_EPOCH")
fi
if [ -n "${VLPD_SIGN_TIMESTAMP_URL:-}" ]; then
  time_args+=(-ts "$VLPD_SIGN_TIMESTAMP_URL")
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for file in "$@"; do
  signed="$work/signed"
  # A file signed before (a rebuild that did not relink it) is signed again from its unsigned form.
  if osslsigncode extract-signature -in "$file" -out "$work/signature" >/dev/null 2>&1; then
    osslsigncode remove-signature -in "$file" -out "$work/unsigned" >/dev/null
    mv -f "$work/unsigned" "$file"
    rm -f "$work/signature"
  fi
  # SHA-256: a package's signature must use the hash of its block map, and Windows trusts no SHA-1
  # signature of a file.
  osslsigncode sign -certs "$VLPD_SIGN_CERT" -key "$VLPD_SIGN_KEY" -h sha256 "${time_args[@]}" \
    -in "$file" -out "$signed" >/dev/null
  cat "$signed" >"$file"
  rm -f "$signed"
  echo "sign.sh: signed $file"
done
