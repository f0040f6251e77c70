# Cross toolchain for the 64-bit DLL, the one the 64-bit Explorer loads. Its tests run in a 64-bit
# Wine prefix, which also runs the 32-bit programs the installer tests start.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VLPD_MINGW_TRIPLE x86_64-w64-mingw32)
set(VLPD_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
