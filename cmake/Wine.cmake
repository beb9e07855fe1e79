# Wine.cmake - when cross-building for Windows, run programs and tests under Wine.
#
# The emulator is a small script written into the build folder: it keeps a
# private Wine prefix there, creates it on first use, and sets the variables
# that Wine needs, so that ctest and gtest discovery see the same setup.
if(NOT CMAKE_CROSSCOMPILING OR NOT WIN32)
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QLFF_WINE_ARCH win64)
  find_program(QLFF_WINE_LOADER NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(QLFF_WINE_LOADER NAMES wine64)
else()
  set(QLFF_WINE_ARCH win32)
  find_program(QLFF_WINE_LOADER NAMES wine)
endif()

if(NOT QLFF_WINE_LOADER)
  message(STATUS "Wine not found: the Windows programs are built but cannot be run here")
  return()
endif()

set(QLFF_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
