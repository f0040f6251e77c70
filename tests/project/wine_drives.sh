#!/usr/bin/env bash
# Prepares (setup) and removes (cleanup) what the project tests need in the Wine prefix:
#   P: a second drive, a plain folder of the build tree, with P:\many (20,000 empty files) and
#      P:\vanishing (5,000, which a test deletes);
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
    # Big folders for the hostile-folder tests, made here at once: Wine looks every new name up
    # among all the others of its folder, so 20,000 creations from a test take minutes.
    mkdir -p "$work/other/many" "$work/other/vanishing"
    (cd "$work/other/many" && seq -f '%g.txt' 0 19999 | xargs touch)
    (cd "$work/other/vanishing" && seq -f '%g.txt' 0 4999 | xargs touch)
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
