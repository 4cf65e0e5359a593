// Load and save of every key of the ATX default configuration through one
// IniFile batch, as the document does them.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "field_table.h"
#include "ini_file.h"

namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;

// Every section and key the editor knows: 920 in all.
const Keys& AllKeys() {
  static const Keys keys = [] {
    Keys out;
    for (const zefr::format::KindTable* table : zefr::format::AllTables())
      for (int n = 1; n <= table->layout.count; ++n)
        for (const zefr::format::FieldRow& row : table->fields)
          out.emplace_back(table->layout.section + std::to_string(n), row.key);
    return out;
  }();
  return keys;
}

std::string DefaultBytes() {
  std::ifstream in(ZEFR_DEFAULT_INI, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string WorkFile() {
  return (std::filesystem::temp_directory_path() /
          ("zefr_inifile_bench_" + std::to_string(::getpid()) + ".ini"))
      .string();
}

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The value as the document keeps it: the text before any ";", trimmed.
std::string Bare(const std::string& text) {
  std::string v = text.substr(0, text.find(';'));
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.pop_back();
  return v;
}

void BM_LoadDefault(benchmark::State& state) {
  std::string path = WorkFile();
  Put(path, DefaultBytes());
  std::size_t found = 0;
  for (auto _ : state) {
    zefr::IniFile ini(path);
    ini.Open();
    found = 0;
    for (const auto& [section, key] : AllKeys()) {
      if (!ini.Exists(section, key)) continue;
      ++found;
      benchmark::DoNotOptimize(Bare(ini.Read(section, key)));
    }
    ini.Close();
  }
  state.counters["keys"] = static_cast<double>(AllKeys().size());
  state.counters["found"] = static_cast<double>(found);
  std::filesystem::remove(path);
}

// mode 0 is Save (keys written in place), 1 is Save As (each key removed
// first, so every key line moves).
void BM_SaveDefault(benchmark::State& state) {
  const bool save_as = state.range(0) == 1;
  const std::string original = DefaultBytes();
  std::string path = WorkFile();
  std::vector<std::string> values;
  {
    Put(path, original);
    zefr::IniFile ini(path);
    ini.Open();
    for (const auto& [section, key] : AllKeys()) values.push_back(Bare(ini.Read(section, key)));
  }
  bool ok = true;
  for (auto _ : state) {
    state.PauseTiming();
    Put(path, original);
    state.ResumeTiming();
    zefr::IniFile ini(path);
    ini.Open();
    std::size_t i = 0;
    for (const auto& [section, key] : AllKeys()) {
      if (save_as) ini.Remove(section, key);
      std::string comment;
      if (ini.Exists(section, key)) {
        std::string text = ini.Read(section, key);
        std::size_t semi = text.find(';');
        // Appended rather than "\t" + substr(): GCC 12 warns falsely (-Wrestrict) on that at -O3.
        if (semi != std::string::npos) comment.assign(1, '\t').append(text, semi);
      }
      ini.Write(section, key, values[i++] + comment);
    }
    ok = ini.Commit() && ok;
  }
  if (!ok) state.SkipWithError("commit failed");
  std::filesystem::remove(path);
}

BENCHMARK(BM_LoadDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDefault)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
