# What both mingw-w64 toolchains share; each sets VLPD_MINGW_TRIPLE (and VLPD_WINE_ARCH) first.
# The posix-thread compiler is pinned because GoogleTest needs std::mutex, which the win32-thread
# g++ 12 lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VLPD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VLPD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VLPD_MINGW_TRIPLE}-windres)
# Splits the debug information off the DLL (src/server/CMakeLists.txt).
set(VLPD_OBJCOPY ${VLPD_MINGW_TRIPLE}-objcopy)
set(CMAKE_FIND_ROOT_PATH /usr/${VLPD_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Every test executable runs under Wine through this wrapper (prefix, locale, code page 932), in
# the toolchain's prefix (tools/wine-env.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR env VLPD_WINE_ARCH=${VLPD_WINE_ARCH}
                                  ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
