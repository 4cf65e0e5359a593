# The Windows build: ZefrCfg.exe, ZefrComm.dll and the tests that run under
# Wine. The editor, the benchmarks, the fuzz targets and the POSIX-only tools
# (zefrsim) are not part of it.
set(ZEFR_BUILD_EDITOR OFF CACHE BOOL "" FORCE)
set(ZEFR_BUILD_BENCH OFF CACHE BOOL "" FORCE)

# GoogleTest from the sources Debian ships, built for the target.
set(ZEFR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${ZEFR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# Not our code: its warnings must not stop our build.
target_compile_options(gtest PRIVATE -Wno-error)
target_compile_options(gtest_main PRIVATE -Wno-error)
if(NOT TARGET GTest::gtest_main)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
include(GoogleTest)
# Test programs are listed when the tests run, so a build needs no Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

add_subdirectory(fileio)
add_subdirectory(comm)
add_subdirectory(format)
add_subdirectory(compiler)
add_subdirectory(windows)
