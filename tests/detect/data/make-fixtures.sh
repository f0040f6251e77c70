#!/usr/bin/env bash
# Regenerates the encoded copies of japanese.utf8.txt (natural text, CR LF line ends, no mark).
set -euo pipefail
cd "$(dirname "$0")"
iconv -f UTF-8 -t CP932 japanese.utf8.txt >japanese.sjis.txt
iconv -f UTF-8 -t EUC-JP japanese.utf8.txt >japanese.eucjp.txt
iconv -f UTF-8 -t UTF-16LE japanese.utf8.txt >japanese.utf16le.txt
iconv -f UTF-8 -t UTF-16BE japanese.utf8.txt >japanese.utf16be.txt
