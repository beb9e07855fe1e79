# GoogleTest.cmake - Debian's GoogleTest natively; built from Debian's sources with the cross compiler.
include(GoogleTest)
if(CMAKE_CROSSCOMPILING)
  set(QLFF_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)  # the suites use GoogleTest alone
  add_subdirectory(${QLFF_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

# Registers a test program's cases with ctest. Under Wine the listing of the
# cases is slow to start, so it gets more time than the default five seconds.
function(qlff_discover_tests target)
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST ${ARGN})
endfunction()
