#!/usr/bin/env bash
# Installs what is missing, builds, and compiles the bundled ATX default
# configuration into a payload file, showing the compiler's report.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
zefr_install_missing

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

out=build/ZefrCfgATX.bin
set +e
build/bin/zefrcfg editor/res/ZefrCfgATX.ini -o "$out"
rc=$?
set -e
echo "zefrcfg exit code: $rc"
[ $rc -eq 0 ] && echo "Payload: $out ($(stat -c %s "$out") bytes)"
exit $rc
