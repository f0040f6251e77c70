#!/usr/bin/env bash
# tools/arm64-rootfs.sh COMMAND [ARG...]: runs an arm64 Linux command inside the arm64 root file
# system of tools/install-arm64.sh (qemu-user runs it through binfmt_misc), as root. Each call
# gets a mount namespace of its own with /proc, /dev, /tmp (the X display and xvfb-run's
# authority file) and this source tree at its own path, so Windows paths of the build tree mean
# the same inside; the mounts go away with the last process of the call (Wine's server keeps its
# call's namespace while it runs). Only the Wine, locale and test settings of the environment go in.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
rootfs="${VLPD_ARM64_CACHE:-/var/cache/vlpd-arm64}/rootfs"
[ -f "$rootfs/.vlpd-ready" ] || { echo "arm64-rootfs: no root file system: run tools/install-arm64.sh" >&2; exit 1; }
env_in=(PATH=/usr/local/bin:/usr/bin:/bin HOME=/root USER=root)
for name in WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES LC_ALL DISPLAY XAUTHORITY GTEST_FILTER $(compgen -e | grep '^VLPD_' || true); do
  [ -n "${!name+set}" ] && env_in+=("$name=${!name}")
done
exec unshare -m --propagation slave bash -c '
  rootfs=$1 tree=$2; shift 2
  mount -t proc proc "$rootfs/proc"
  mount --rbind /dev "$rootfs/dev"
  mount --rbind /tmp "$rootfs/tmp"
  mkdir -p "$rootfs$tree"
  mount --rbind "$tree" "$rootfs$tree"
  cd "$rootfs$PWD" 2>/dev/null || cd "$rootfs"
  exec chroot "$rootfs" /usr/bin/env -i "$@"' arm64-rootfs "$rootfs" "$root" "${env_in[@]}" "$@"
