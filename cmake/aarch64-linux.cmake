# Cross toolchain for the portable core as aarch64 Linux code: its tests check the NEON classifier
# against the scalar one, run by qemu-user with the arm64 root file system of tools/install-arm64.sh
# as the library root (its glibc and the gconv modules of code page 932).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
if(DEFINED ENV{VLPD_ARM64_CACHE})
  set(vlpd_arm64_cache $ENV{VLPD_ARM64_CACHE})
else()
  set(vlpd_arm64_cache /var/cache/vlpd-arm64)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L ${vlpd_arm64_cache}/rootfs)
