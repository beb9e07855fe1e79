# toolchain-mingw-x86_64.cmake - 64-bit Windows with Debian's MinGW-w64 (posix thread model).
# Used to run the Windows suite under 64-bit Wine on machines that cannot run 32-bit programs.
set(QLFF_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
