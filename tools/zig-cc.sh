#!/usr/bin/env bash
# The C compiler of the arm64 preset (cmake/aarch64-zig.cmake): Zig's clang for aarch64 Windows,
# with the mingw-w64 runtime and libc++ Zig brings (tools/install-arm64.sh). Zig's caches live in a
# folder of the cache's own, which no other Zig shares: its libunwind sources are patched there.
cache="${VLPD_ARM64_CACHE:-/var/cache/vlpd-arm64}"
export ZIG_GLOBAL_CACHE_DIR="$cache/zig-cache" ZIG_LOCAL_CACHE_DIR="$cache/zig-cache"
mode=cc
if [ "${1-}" = --c++ ]; then
  mode=c++
  shift
fi
exec "$cache/zig-0.11.0/zig" "$mode" -target aarch64-windows-gnu "$@"
