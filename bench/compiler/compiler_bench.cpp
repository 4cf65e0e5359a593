// Whole in-process compiles and single reader lookups.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

#include "memory_file_system.h"
#include "parse_driver.h"
#include "run.h"
#include "test_support.h"

namespace {

using namespace zefr;

std::string ReadText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return f ? std::string(std::istreambuf_iterator<char>(f), {}) : std::string();
}

// Reader load, every section parser and the image, as one compile does.
void Compile(benchmark::State& state, const std::string& text) {
  if (text.empty()) {
    state.SkipWithError("configuration not found");
    return;
  }
  PayloadImage image;
  for (auto _ : state) {
    ProfileReader reader(MemoryLoader({{"cfg.ini", text}}));
    CaptureConsole out;
    bool ok = ParseConfiguration("cfg.ini", reader, out, image);
    if (!ok) state.SkipWithError("configuration has errors");
    benchmark::DoNotOptimize(image.bytes.data());
  }
}

void BM_CompileFullConfig(benchmark::State& state) { Compile(state, test::FullConfig().Text()); }
BENCHMARK(BM_CompileFullConfig)->Unit(benchmark::kMicrosecond);

void BM_CompileAtxDefault(benchmark::State& state) {
  Compile(state, ReadText(ZEFR_SOURCE_DIR "/editor/res/ZefrCfgATX.ini"));
}
BENCHMARK(BM_CompileAtxDefault)->Unit(benchmark::kMicrosecond);

void BM_CompileBtxDefault(benchmark::State& state) {
  Compile(state, ReadText(ZEFR_SOURCE_DIR "/editor/res/ZefrCfgBTX.ini"));
}
BENCHMARK(BM_CompileBtxDefault)->Unit(benchmark::kMicrosecond);

// The whole run with banner, parse and payload file, its files in memory.
void BM_RunFullConfig(benchmark::State& state) {
  files::MemoryFileSystem files;
  files.Add("cfg.ini", test::FullConfig().Text());
  for (auto _ : state) {
    CaptureConsole out;
    std::istringstream in;
    RunHooks hooks;
    hooks.files = &files;
    benchmark::DoNotOptimize(RunZefrCfg({"cfg.ini", "-o", "cfg.bin"}, out, in, hooks));
  }
}
BENCHMARK(BM_RunFullConfig)->Unit(benchmark::kMicrosecond);

// One lookup in an already loaded file: first key, last key of the last
// section, and a key that is absent.
void Lookup(benchmark::State& state, const char* section, const char* key) {
  ProfileReader reader(MemoryLoader({{"cfg.ini", test::FullConfig().Text()}}));
  std::string value;
  reader.GetProfileValue("cfg.ini", section, key, value);
  for (auto _ : state) benchmark::DoNotOptimize(reader.GetProfileValue("cfg.ini", section, key, value));
}
void BM_LookupFirst(benchmark::State& state) { Lookup(state, "FanMonitor1", "Enabled"); }
void BM_LookupLast(benchmark::State& state) { Lookup(state, "VoltageMonitor1", "OverVoltageNonRecoverable"); }
void BM_LookupAbsent(benchmark::State& state) { Lookup(state, "FanController1", "NoSuchKey"); }
void BM_LookupNoSection(benchmark::State& state) { Lookup(state, "FanController8", "Enabled"); }
BENCHMARK(BM_LookupFirst);
BENCHMARK(BM_LookupLast);
BENCHMARK(BM_LookupAbsent);
BENCHMARK(BM_LookupNoSection);

}  // namespace

BENCHMARK_MAIN();
