#!/usr/bin/env bash
# Runs a program under valgrind; any leak or memory error fails.
#   leak_check.sh BIN_DIR SOURCE_DIR compile|dump|deliver
# compile: zefrcfg writes the ATX default's payload; dump: zefrdump prints it
# back as INI and as a graph; deliver: zefrcfg sends it through ZefrComm.so
# to a zefrsim that refuses it, so the failure query runs too.
set -euo pipefail
bin=$1 src=$2 what=$3
work=$(mktemp -d)
trap 'kill "${sim:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
vg=(valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect,possible)
cp "$src/editor/res/ZefrCfgATX.ini" "$work/atx.ini"
cd "$work"
case "$what" in
  compile) "${vg[@]}" "$bin/zefrcfg" atx.ini -o atx.bin >/dev/null ;;
  dump)
    "$bin/zefrcfg" atx.ini -o atx.bin >/dev/null
    "${vg[@]}" "$bin/zefrdump" atx.bin >/dev/null
    "${vg[@]}" "$bin/zefrdump" --graph atx.bin >/dev/null
    ;;
  deliver)
    export ZEFR_DEVICE_DIR=$work/dev
    mkdir -p "$ZEFR_DEVICE_DIR"
    "$bin/zefrsim" --ccode 3 --entity 0x1D27 --store "$work/sim.bin" 2>/dev/null &
    sim=$!
    for _ in $(seq 50); do [ -S "$ZEFR_DEVICE_DIR"/*.0 ] 2>/dev/null && break; sleep 0.1; done
    rc=0
    "${vg[@]}" "$bin/zefrcfg" atx.ini >out.txt || rc=$?
    # A refusal is exit code 1; valgrind's findings are 99.
    [ "$rc" -eq 1 ] || { cat out.txt; echo "exit code $rc"; exit 1; }
    grep -q "Failing Entity:" out.txt || { cat out.txt; exit 1; }
    ;;
  *) echo "unknown check: $what" >&2; exit 2 ;;
esac
