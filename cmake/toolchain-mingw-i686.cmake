# toolchain-mingw-i686.cmake - 32-bit Windows with Debian's MinGW-w64 (posix thread model).
set(QLFF_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
