#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal
# build (build/), once under AddressSanitizer and UBSan (build-asan/).
# With --windows it then cross-builds and checks the 32-bit Windows programs
# (scripts/windows-check.sh), which installs mingw-w64 and Wine.
set -euo pipefail
cd "$(dirname "$0")"
windows=0
for arg in "$@"; do
  case $arg in
    --windows) windows=1 ;;
    *) echo "Use: ./test.sh [--windows]" >&2; exit 2 ;;
  esac
done
. scripts/deps.sh
zefr_install_missing

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEFR_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEFR_WERROR=ON -DZEFR_SANITIZE=ON -DZEFR_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

if [ "$windows" = 1 ]; then
  # The 32-bit Windows programs, cross-built and tested under Wine.
  scripts/windows-check.sh
fi
