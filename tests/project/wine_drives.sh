#!/usr/bin/env bash
# Prepares (setup) and removes (cleanup) what the project tests need in the Wine prefix:
#   P: a second drive, a plain folder of the build tree;
#   Q: a 64 KiB tmpfs, which a test fills up to make writes fail as on a full disk (mounting
#      needs root; without it Q: stays unmapped and that test is skipped).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
action="$1"
work="$(realpath -m "$2")"
bash "$root/tools/wine-setup.sh" || exit 1
source "$root/tools/wine-env.sh"
dosdevices="$WINEPREFIX/dosdevices"

case "$action" in
  setup)
    mkdir -p "$work/other" "$work/small"
    ln -sfn "$work/other" "$dosdevices/p:"
    rm -f "$dosdevices/q:"
    if mountpoint -q "$work/small" || mount -t tmpfs -o size=64k vlpd_small "$work/small" 2>/dev/null; then
      ln -sfn "$work/small" "$dosdevices/q:"
    else
      echo "wine_drives: no tmpfs could be mounted; the full-drive test will be skipped"
    fi
    ;;
  cleanup)
    rm -f "$dosdevices/p:" "$dosdevices/q:"
    if mountpoint -q "$work/small"; then umount "$work/small"; fi
    rm -rf "$work"
    ;;
  *)
    echo "usage: $0 setup|cleanup folder" >&2
    exit 2
    ;;
esac
