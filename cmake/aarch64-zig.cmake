# Cross toolchain for the ARM64 DLL, the one the Explorer of Windows on ARM loads. Debian has no
# aarch64 mingw-w64 runtime; Zig's clang brings one (tools/install-arm64.sh puts it in the cache).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
set(CMAKE_C_COMPILER ${CMAKE_CURRENT_LIST_DIR}/../tools/zig-cc.sh)
set(CMAKE_CXX_COMPILER ${CMAKE_CURRENT_LIST_DIR}/../tools/zig-c++.sh)
if(DEFINED ENV{VLPD_ARM64_CACHE})
  set(vlpd_arm64_cache $ENV{VLPD_ARM64_CACHE})
else()
  set(vlpd_arm64_cache /var/cache/vlpd-arm64)
endif()
# Debian's windres for ARM64 resources, with the Windows headers Zig brings; scripts in UTF-8.
find_program(CMAKE_RC_COMPILER NAMES llvm-windres llvm-windres-14 PATHS /usr/lib/llvm-14/bin REQUIRED)
set(CMAKE_RC_FLAGS_INIT
    "--target=aarch64-w64-mingw32 --codepage=65001 -I ${vlpd_arm64_cache}/zig-0.11.0/lib/libc/include/any-windows-any")
# Takes the few DWARF sections of Zig's assembly runtime out of the DLL (src/server/CMakeLists.txt).
find_program(VLPD_OBJCOPY NAMES llvm-objcopy llvm-objcopy-14 PATHS /usr/lib/llvm-14/bin REQUIRED)
# Zig links libc++ and the runtime statically by itself, cannot leave the link time out of the PE
# header (it is stamped afterwards, packaging/release/stamp_pe.py) and keeps the debug information in a PDB.
set(VLPD_ZIG_TOOLCHAIN ON)
# The prefix of the emulated arm64 Wine (tools/wine-env.sh).
set(VLPD_WINE_ARCH arm64)
set(CMAKE_CROSSCOMPILING_EMULATOR env VLPD_WINE_ARCH=${VLPD_WINE_ARCH}
                                  ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
