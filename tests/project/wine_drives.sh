#!/usr/bin/env bash
# Prepares (setup) and removes (cleanup) what the project tests need in the Wine prefix:
#   P: a second drive, a plain folder of the build tree, with P:\many (20,000 empty files) and
#      P:\vanishing (5,000, which a test deletes), and folders with real symbolic links
#      (P:\links): tree\l1 leads to tree, tree\mid\up to tree, tree\dead nowhere;
#      two\x and two\y both lead to two; and P:\replace\link.vpj leads to the project
#      P:\replace\target\real.vpj, P:\replace\far.vpj to C:\vlpd_far\far.vpj on another drive;
#   Q: a 64 KiB tmpfs, which a test fills up to make writes fail as on a full disk (mounting
#      needs root; without it Q: stays unmapped and that test is skipped);
#   R: a read-only tmpfs, where no project can be created (also needs root).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
action="$1"
work="$(realpath -m "$2")"
bash "$root/tools/wine-setup.sh" || exit 1
source "$root/tools/wine-env.sh"
dosdevices="$WINEPREFIX/dosdevices"

case "$action" in
  setup)
    mkdir -p "$work/other" "$work/small" "$work/readonly"
    # Big folders for the hostile-folder tests, made here at once: Wine looks every new name up
    # among all the others of its folder, so 20,000 creations from a test take minutes.
    mkdir -p "$work/other/many" "$work/other/vanishing"
    (cd "$work/other/many" && seq -f '%g.txt' 0 19999 | xargs touch)
    (cd "$work/other/vanishing" && seq -f '%g.txt' 0 4999 | xargs touch)
    ln -sfn "$work/other" "$dosdevices/p:"
    links="$work/other/links"
    rm -rf "$links"
    mkdir -p "$links/tree/mid" "$links/tree/zz" "$links/two"
    echo a > "$links/tree/a.txt"
    echo z > "$links/tree/zz/z.txt"
    echo b > "$links/two/b.txt"
    ln -s . "$links/tree/l1"
    ln -s .. "$links/tree/mid/up"
    ln -s "$work/none" "$links/tree/dead"
    ln -s . "$links/two/x"
    ln -s ../two "$links/two/y"
    # A project saved over through a symbolic link: replace\link.vpj leads to replace\target\real.vpj.
    rm -rf "$work/other/replace"
    mkdir -p "$work/other/replace/target"
    printf 'old\r\n' > "$work/other/replace/target/real.vpj"
    ln -s target/real.vpj "$work/other/replace/link.vpj"
    far="$WINEPREFIX/drive_c/vlpd_far"
    rm -rf "$far" && mkdir -p "$far"
    printf 'old\r\n' > "$far/far.vpj"
    ln -s "$far/far.vpj" "$work/other/replace/far.vpj"
    rm -f "$dosdevices/q:" "$dosdevices/r:"
    # A run that was killed left its drives mounted, with what its tests wrote still on them.
    for stale in "$work/small" "$work/readonly"; do
      if mountpoint -q "$stale"; then umount "$stale"; fi
    done
    if mountpoint -q "$work/readonly" || mount -t tmpfs -o ro,size=16k vlpd_readonly "$work/readonly" 2>/dev/null; then
      ln -sfn "$work/readonly" "$dosdevices/r:"
    else
      echo "wine_drives: no read-only tmpfs could be mounted; that case will be skipped"
    fi
    if mountpoint -q "$work/small" || mount -t tmpfs -o size=64k vlpd_small "$work/small" 2>/dev/null; then
      ln -sfn "$work/small" "$dosdevices/q:"
    else
      echo "wine_drives: no tmpfs could be mounted; the full-drive test will be skipped"
    fi
    # The emulated arm64 Wine's server sees the mounts made before it started (tools/arm64-rootfs.sh):
    # it is ended, and the next test starts one that sees Q: and R:.
    if [ "$VLPD_WINE_ARCH" = arm64 ]; then wineserver -k; wineserver -w; fi
    ;;
  cleanup)
    rm -f "$dosdevices/p:" "$dosdevices/q:" "$dosdevices/r:"
    rm -rf "$WINEPREFIX/drive_c/vlpd_far"
    if mountpoint -q "$work/small"; then umount "$work/small"; fi
    if mountpoint -q "$work/readonly"; then umount "$work/readonly"; fi
    rm -rf "$work"
    ;;
  *)
    echo "usage: $0 setup|cleanup folder" >&2
    exit 2
    ;;
esac
