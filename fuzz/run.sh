#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UBSan in
# build-fuzz/ and runs each for SECONDS (default 60). Any finding (crash,
# failed check, leak, undefined behaviour, time-out) fails the run; the input
# is kept in build-fuzz/findings/TARGET/. Copy it to fuzz/FOLDER/regressions/
# so that it stays a test of the plain build.
# Figures of the run: build-fuzz/fuzz-summary.txt.
set -euo pipefail
seconds=${1:-60}
cd "$(dirname "$0")/.."
out=build-fuzz

# target:folder:longest input
targets=(
  fuzz_zefrcfg:compiler:65536
  fuzz_profile_text:inifile:16384
  fuzz_document:document:32768
  fuzz_zefrcomm:comm:4096
  fuzz_zefrdump:zefrdump:4096
)

# Every library is instrumented for coverage; the targets alone link libFuzzer.
CC=clang CXX=clang++ cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEFR_SANITIZE=ON -DZEFR_FUZZ=ON -DZEFR_BUILD_BENCH=OFF -DZEFR_WERROR=ON \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
names=()
for t in "${targets[@]}"; do names+=("${t%%:*}"); done
cmake --build "$out" -j "${ZEFR_JOBS:-$(nproc)}" --target "${names[@]}"

# The default configurations seed the document target without being copied
# into fuzz/: loading a whole configuration reaches parts of the document no
# small seed does, though inputs bred from them take twice as long. The
# other INI targets do without them: inputs bred from the 17 KB defaults stay
# that large, and the seeds in fuzz/ (processor.ini in particular) reach the
# same code in 2 KB.
mkdir -p "$out/seeds/ini"
cp editor/res/ZefrCfgATX.ini editor/res/ZefrCfgBTX.ini "$out/seeds/ini/"

summary="$out/fuzz-summary.txt"
printf '%-18s %10s %7s %9s %8s %9s %s\n' target executions "per s" "per CPU s" "new" corpus result >"$summary"
failed=0
for t in "${targets[@]}"; do
  IFS=: read -r name folder maxlen <<<"$t"
  work="$out/corpus/$name"
  findings="$out/findings/$name"
  rm -rf "$findings"
  mkdir -p "$work" "$findings"
  seeds=("fuzz/$folder/corpus" "fuzz/$folder/regressions")
  if [ "$folder" = document ]; then seeds+=("$out/seeds/ini"); fi
  log="$out/$name.log"
  echo "== $name: ${seconds}s"
  rc=0
  # One process per target: nothing else adds to its corpus, so libFuzzer
  # need not re-read it every second (-reload=0). An input frees far less
  # than 32 MB (a document input about 3 MB), so a quarantine of that size
  # still catches any use after free within it; the default 256 MB makes
  # every allocation land on memory long out of the cache, which cost up to
  # half the time. The processor time is kept too: on a shared machine the
  # executions per second of the clock say more about the load than the code.
  # Every allocation and free stores its stack: two frames rather than 30
  # make allocation-heavy targets up to 15 % faster and find the same faults;
  # run a finding again without the option for the whole stacks.
  TIMEFORMAT='%U %S'
  { time ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:quarantine_size_mb=32:malloc_context_size=2 \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "$out/bin/$name" -max_total_time="$seconds" -max_len="$maxlen" -timeout=10 -rss_limit_mb=2048 \
      -reload=0 -print_final_stats=1 -artifact_prefix="$findings/" "$work" "${seeds[@]}" >"$log" 2>&1; } \
    2>"$out/$name.cpu" || rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  added=$(sed -n 's/^stat::new_units_added: *//p' "$log" | tail -1)
  read -r user sys <"$out/$name.cpu" || true
  per_cpu=$(awk -v n="${runs:-0}" -v u="${user:-0}" -v s="${sys:-0}" \
    'BEGIN { if (u + s > 0) printf "%d", n / (u + s); else print "?" }')
  size=$(find "$work" -type f | wc -l)
  result=clean
  if [ "$rc" -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
    result="FINDING (exit $rc)"
    failed=1
    tail -n 40 "$log"
    ls -l "$findings"
  fi
  printf '%-18s %10s %7s %9s %8s %9s %s\n' "$name" "${runs:-?}" "${rate:-?}" "$per_cpu" "${added:-?}" "$size" "$result" |
    tee -a "$summary"
done
cat "$summary"
exit "$failed"
