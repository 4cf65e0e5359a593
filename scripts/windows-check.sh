#!/usr/bin/env bash
# Cross-builds ZefrCfg.exe and ZefrComm.dll for 32-bit Windows (build-win/),
# runs their tests under Wine, and checks that ZefrCfg.exe prints the same
# report, ends with the same exit code and writes the same payload bytes as
# the Linux zefrcfg on every configuration the compiler's tests run, on the
# two default configurations and on the command lines in windows/cases.txt.
#
# "The same report": the Windows program writes its standard output in text
# mode, so each line ends in CR LF there. Its output must have no line feed
# without its carriage return; with each CR LF read as LF it must equal the
# Linux output byte for byte. The one other difference allowed is the system's
# own wording of a Windows error code: the text in parentheses after
# "Windows CCode = 0x..." comes from each platform's message table, so the
# comparison keeps the code and drops that text.
#
# Installs what is missing (mingw-w64, Wine with the i386 architecture). The
# Linux side is build/ (as test.sh leaves it), or $ZEFR_LINUX_BUILD, or else a
# build of its own in build-win/linux.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$SECONDS

. scripts/deps.sh
zefr_packages=(cmake ninja-build g++ libgtest-dev)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture for 32-bit Wine"
  if [ "$(id -u)" -ne 0 ]; then sudo dpkg --add-architecture i386; else dpkg --add-architecture i386; fi
fi
zefr_install_missing g++-mingw-w64-i686 wine wine32:i386

jobs=$(nproc)
win=$root/build-win
linux=${ZEFR_LINUX_BUILD:-$root/build}

# Some kernels run no 32-bit programs at all (no IA-32 emulation): Wine cannot
# start there, so only the cross-build is checked, and the run says so. The
# probe is Wine's own 32-bit loader: the wineserver script answers through
# its 64-bit server even where no 32-bit program can start.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "windows-check: this machine cannot run 32-bit programs; cross-building only, the Wine runs are skipped"
  cmake -S . -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DZEFR_WERROR=ON >/dev/null
  cmake --build "$win" -j "$jobs"
  exit 0
fi

# A fresh Wine prefix each run, with one server kept up for all the runs.
# No .NET or HTML engine: nothing here needs them, and their installers ask.
export WINEDEBUG=-all WINEARCH=win32 WINEPREFIX=$win/wineprefix WINEDLLOVERRIDES="mscoree,mshtml="
stop_wine() { [ -d "$WINEPREFIX" ] && wineserver -k >/dev/null 2>&1 || true; }
stop_wine
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
trap stop_wine EXIT
# Output to files only: Wine's background services inherit the descriptors.
wineserver -p >/dev/null 2>&1 </dev/null
wineboot -i >/dev/null 2>&1 </dev/null

cmake -S . -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DZEFR_WERROR=ON >/dev/null
cmake --build "$win" -j "$jobs"
ctest --test-dir "$win" --output-on-failure -j "$jobs" </dev/null

# The Linux build to compare with; test.sh has made it already.
if [ ! -f "$linux/CMakeCache.txt" ]; then
  linux=$win/linux
  cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEFR_BUILD_EDITOR=OFF -DZEFR_BUILD_BENCH=OFF -DZEFR_WERROR=ON >/dev/null
fi
cmake --build "$linux" -j "$jobs" --target zefrcfg ZefrComm zefrcfg_test

work=$win/compare
rm -rf "$work"
mkdir -p "$work/corpus" "$work/empty-device-dir"
# Every configuration the compiler's tests run in-process.
ZEFR_CORPUS_DIR=$work/corpus "$linux/bin/zefrcfg_test" --gtest_brief=1 >"$work/corpus.log" 2>&1 ||
  { cat "$work/corpus.log"; exit 1; }

# Linux delivery must find no device either.
export ZEFR_DEVICE_DIR=$work/empty-device-dir
exe=$win/bin/ZefrCfg.exe
cases=0
failed=0

normalise() { sed -E 's/^(   Windows CCode = 0x[0-9A-F]{8}) \(.*\)$/\1/' "$1"; }

# run_case NAME SETUP-DIR STDIN ARGS...: runs both programs on copies of SETUP-DIR.
run_case() {
  local name=$1 setup=$2 input=$3
  shift 3
  local dir=$work/run/$name
  mkdir -p "$dir"
  cp -r "$setup" "$dir/linux"
  cp -r "$setup" "$dir/windows"
  local lrc=0 wrc=0
  (cd "$dir/linux" && printf '%b' "$input" | "$linux/bin/zefrcfg" "$@" >"$dir/linux.out" 2>&1) || lrc=$?
  (cd "$dir/windows" && printf '%b' "$input" | wine "$exe" "$@" >"$dir/windows.out" 2>&1) || wrc=$?
  cases=$((cases + 1))
  local why=""
  [ "$lrc" = "$wrc" ] || why="exit code $lrc on Linux, $wrc on Windows"
  if [ -s "$dir/windows.out" ] && [ "$(tr -cd '\n' <"$dir/windows.out" | wc -c)" != "$(grep -c $'\r$' "$dir/windows.out")" ]; then
    why="$why; a line of the Windows output does not end in CR LF"
  fi
  tr -d '\r' <"$dir/windows.out" >"$dir/windows.lf"
  if ! diff -u <(normalise "$dir/linux.out") <(normalise "$dir/windows.lf") >"$dir/report.diff"; then
    why="$why; the reports differ ($dir/report.diff)"
  fi
  # Payload files and every other file the runs left must match byte for byte.
  if ! diff -r "$dir/linux" "$dir/windows" >"$dir/files.diff"; then
    why="$why; the files differ ($dir/files.diff)"
  fi
  if [ -n "$why" ]; then
    failed=$((failed + 1))
    echo "DIFFERENT: $name ($*):${why#;}"
    head -n 20 "$dir/report.diff" "$dir/files.diff" 2>/dev/null || true
  else
    rm -rf "$dir"
  fi
}

mkdir -p "$work/setup"
for args in "$work"/corpus/*.args; do
  id=$(basename "$args" .args)
  mkdir -p "$work/setup/$id"
  cp "$work/corpus/$id.ini" "$work/setup/$id/cfg.ini"
  mapfile -t argv <"$args"
  run_case "corpus-$id" "$work/setup/$id" "" "${argv[@]}"
  # Delivery cases also compile to a file, so the payload is compared too.
  case " ${argv[*]} " in *" -o "* | *" -w "* | *" -O "* | *" -W "*) ;; *)
    run_case "corpus-$id-o" "$work/setup/$id" "" "${argv[0]:-cfg.ini}" -o x.bin ;;
  esac
done
corpus=$cases

# The command lines of cases.txt, run in a folder holding the default
# configurations, the files of windows/corpus/ and a few made from them.
files=$work/setup/files
mkdir -p "$files"
atx=editor/res/ZefrCfgATX.ini
cp "$atx" editor/res/ZefrCfgBTX.ini "$files/"
cp editor/res/ZefrCfgBTX.ini "$files/UPPER.INI"
sed 's/$/\r/' "$atx" >"$files/crlf.ini"
# Headers in lower case with spaces and a comment, keys with spaces around "=".
sed -E 's/^\[(.*)\]$/[ \L\1\E ] ; header/; s/^([A-Za-z0-9]+)=/  \1 = /' "$atx" >"$files/spaced.ini"
sed -E 's/^([A-Za-z0-9]+)=([^ ;]+)/\1="\2"/' "$atx" >"$files/quoted.ini"
printf '%s\nFanSpeedNominal=2500' "$(cat "$atx")" >"$files/noeol.ini"
sed 's/^FanSpeedNominal=2500/FanSpeedNominal=25x0/' "$atx" >"$files/broken.ini"
printf 'not a payload\n' >"$files/exists.bin"
n=0
while IFS= read -r line; do
  case $line in '' | '#'*) continue ;; esac
  input=${line%%|*}
  read -r -a argv <<<"${line#*|}"
  n=$((n + 1))
  run_case "case-$n" "$files" "$input" "${argv[@]}"
done <windows/cases.txt

echo "ZefrCfg.exe under Wine and zefrcfg on Linux: $((cases - failed)) of $cases runs alike" \
  "($corpus from the compiler's tests, $((cases - corpus)) from windows/cases.txt)"
echo "windows-check: $((SECONDS - start)) s"
[ "$failed" -eq 0 ]
