// zefrlint beside the compiler on the ATX default: the programs as a user
// runs them (target: zefrlint within 1.5 times zefrcfg -o /dev/null), the
// two in-process paths they take, and the language server's answer to an
// edit (target: the diagnostics within 20 ms of a change).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "checker.h"
#include "lint.h"
#include "lsp_server.h"
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

// Errors only, as the compiler would report them: no warnings of its own.
void BM_ZefrlintQuiet(benchmark::State& state) {
  for (auto _ : state)
    if (!Spawn({ZEFRLINT_BINARY, "-q", ZEFR_DEFAULT_INI}, 0)) state.SkipWithError("zefrlint failed");
}
BENCHMARK(BM_ZefrlintQuiet)->Unit(benchmark::kMillisecond);

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

// A whole-text change of the default and the diagnostics it publishes.
void BM_LspChange(benchmark::State& state) {
  using nlohmann::json;
  const std::string text = AtxText();
  zefr::lint::LanguageServer server;
  server.Handle(json({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}}).dump());
  server.Handle(json({{"jsonrpc", "2.0"},
                      {"method", "textDocument/didOpen"},
                      {"params", {{"textDocument", {{"uri", "file:///atx.ini"}, {"version", 1}, {"text", text}}}}}})
                    .dump());
  const std::string change =
      json({{"jsonrpc", "2.0"},
            {"method", "textDocument/didChange"},
            {"params", {{"textDocument", {{"uri", "file:///atx.ini"}, {"version", 2}}},
                        {"contentChanges", json::array({{{"text", text}}})}}}})
          .dump();
  for (auto _ : state) benchmark::DoNotOptimize(server.Handle(change));
}
BENCHMARK(BM_LspChange)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
