// zefrlint beside the compiler on the ATX default: the programs as a user
// runs them (target: zefrlint within 1.5 times zefrcfg -o /dev/null), and
// the two in-process paths they take.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "checker.h"
#include "lint.h"
#include "parse_driver.h"

extern char** environ;

namespace {

// Runs a program with its output thrown away; false when it did not exit with `expected`.
bool Spawn(std::vector<std::string> args, int expected) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == expected;
}

void BM_ZefrcfgToDevNull(benchmark::State& state) {
  for (auto _ : state)
    if (!Spawn({ZEFRCFG_BINARY, ZEFR_DEFAULT_INI, "-o", "/dev/null"}, 0)) state.SkipWithError("zefrcfg failed");
}
BENCHMARK(BM_ZefrcfgToDevNull)->Unit(benchmark::kMillisecond);

void BM_Zefrlint(benchmark::State& state) {
  for (auto _ : state)
    if (!Spawn({ZEFRLINT_BINARY, ZEFR_DEFAULT_INI}, 0)) state.SkipWithError("zefrlint failed");
}
BENCHMARK(BM_Zefrlint)->Unit(benchmark::kMillisecond);

std::string AtxText() {
  std::ifstream f(ZEFR_DEFAULT_INI, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// The compiler's parse with its report, as zefrcfg runs it.
void BM_CompilerParse(benchmark::State& state) {
  const std::string text = AtxText();
  zefr::PayloadImage image;
  for (auto _ : state) {
    zefr::ProfileReader reader(zefr::MemoryLoader({{"cfg.ini", text}}));
    zefr::CaptureConsole out;
    benchmark::DoNotOptimize(zefr::ParseConfiguration("cfg.ini", reader, out, image));
  }
}
BENCHMARK(BM_CompilerParse)->Unit(benchmark::kMicrosecond);

// Every diagnostic with its place and zefrlint's lines for them.
void BM_LintLines(benchmark::State& state) {
  const std::string text = AtxText();
  for (auto _ : state) {
    const zefr::CheckResult r = zefr::CheckText(text);
    std::string out;
    for (const zefr::Diagnostic& d : r.diagnostics) out += zefr::lint::LintLine("atx.ini", d);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_LintLines)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
