# Cross-builds the 32-bit Windows programs with Debian's mingw-w64
# (g++-mingw-w64-i686). The posix thread model gives std::thread and
# std::mutex to the tests; the library itself uses only Win32 calls.
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(ZEFR_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${ZEFR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEFR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEFR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZEFR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Decimal values become fixed-point by double arithmetic truncated toward
# zero. The x87 unit would carry extra bits and truncate some values one unit
# lower than the 64-bit Linux build does; SSE2 arithmetic rounds every step to
# double, so both builds compile a configuration to the same bytes.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# The programs must run on a machine with no compiler runtime installed.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")

# Tests and test discovery run the built programs under Wine.
find_program(ZEFR_WINE wine)
if(ZEFR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZEFR_WINE})
endif()
