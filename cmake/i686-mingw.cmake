# Cross toolchain for the 32-bit DLL, tested in the 32-bit Wine prefix.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VLPD_MINGW_TRIPLE i686-w64-mingw32)
set(VLPD_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
