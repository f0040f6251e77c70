# Cross toolchain for the 32-bit DLL. The posix-thread compiler is pinned because
# GoogleTest needs std::mutex, which the win32-thread g++ 12 lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
# Splits the debug information off the DLL (src/server/CMakeLists.txt).
set(VLPD_OBJCOPY i686-w64-mingw32-objcopy)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Every test executable runs under Wine through this wrapper (prefix, locale, code page 932), in
# the 32-bit prefix (tools/wine-env.sh).
set(VLPD_WINE_ARCH win32)
set(CMAKE_CROSSCOMPILING_EMULATOR env VLPD_WINE_ARCH=${VLPD_WINE_ARCH}
                                  ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
