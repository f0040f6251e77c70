#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test VLPDMenu.dll.
# Idempotent: does nothing when every tool is already present.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in cmake ninja-build g++ clang clang-tidy libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev \
         libuchardet-dev g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix \
         binutils-mingw-w64-x86-64 wine wine64 wixl msitools openssl xvfb xauth locales; do
  have_pkg "$p" || need+=("$p")
done
# The 32-bit Wine loader comes from the i386 architecture.
have_pkg wine32:i386 || need+=("wine32:i386")

if [ ${#need[@]} -gt 0 ]; then
  echo "install-deps: installing ${need[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
