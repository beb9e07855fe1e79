# toolchain-mingw-common.cmake - what both MinGW-w64 toolchains share.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QLFF_MINGW_TRIPLE})
# The -posix compilers have std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${QLFF_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QLFF_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QLFF_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QLFF_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# libgcc, libstdc++ and winpthread go inside each binary: a clean Windows has none of them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
