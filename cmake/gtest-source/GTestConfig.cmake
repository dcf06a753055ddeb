# GoogleTest for a cross build: Debian's libgtest-dev is built for Linux, so
# the Windows build compiles GoogleTest from the sources of Debian's
# `googletest` package. Point find_package(GTest) here with
#   -DGTest_DIR=<repo>/cmake/gtest-source
# GoogleTest's own CMake defines GTest::gtest, GTest::gtest_main,
# GTest::gmock and GTest::gmock_main.
if(NOT TARGET gtest)
  set(RQ30_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
  if(NOT EXISTS "${RQ30_GTEST_SOURCE}/CMakeLists.txt")
    set(GTest_FOUND FALSE)
    set(GTest_NOT_FOUND_MESSAGE "no GoogleTest sources in ${RQ30_GTEST_SOURCE}")
    return()
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory("${RQ30_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
  # The framework need not be fast, only quick to build: gtest-all.cc takes
  # half the time without optimisation and debug information.
  if(NOT MSVC)
    target_compile_options(gtest PRIVATE -O0 -g0)
    target_compile_options(gtest_main PRIVATE -O0 -g0)
  endif()
endif()
set(GTest_FOUND TRUE)
