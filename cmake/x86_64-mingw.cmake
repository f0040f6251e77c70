# Cross toolchain for the 64-bit DLL, the one the 64-bit Explorer loads. The posix-thread compiler,
# as for i686: GoogleTest needs std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# Splits the debug information off the DLL (src/server/CMakeLists.txt).
set(VLPD_OBJCOPY x86_64-w64-mingw32-objcopy)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The Wine prefix the test programs run in (tools/wine-env.sh): a 64-bit one, which also runs
# the 32-bit programs the installer tests start.
set(VLPD_WINE_ARCH win64)
set(CMAKE_CROSSCOMPILING_EMULATOR env VLPD_WINE_ARCH=${VLPD_WINE_ARCH}
                                  ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
