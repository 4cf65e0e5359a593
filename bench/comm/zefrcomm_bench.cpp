// Round trip through ZefrCommand to zefrsim once the connection is open.

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ZefrComm.h"
#include "sim_harness.h"

namespace {

struct Setup {
  zefrsim::TempDir dir;
  zefrsim::SimProcess sim;
  void* handle = nullptr;
  ZefrCommandProc call = nullptr;

  Setup() {
    ::setenv("ZEFR_DEVICE_DIR", dir.path().c_str(), 1);
    if (!sim.Start(dir.path(), {"--quiet"})) return;
    handle = ::dlopen(ZEFRCOMM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return;
    auto* table = static_cast<const ZefrCommOrdinalTable*>(::dlsym(handle, ZEFRCOMM_ORDINAL_TABLE_SYMBOL));
    if (table == nullptr || table->attachResult() != 0) return;
    call = reinterpret_cast<ZefrCommandProc>(table->entries[1]);
  }
  ~Setup() {
    if (handle != nullptr) ::dlclose(handle);
  }
};

Setup& Shared() {
  static Setup s;
  return s;
}

void Run(benchmark::State& state, std::vector<std::uint8_t> request, std::uint32_t responseLength) {
  Setup& s = Shared();
  if (s.call == nullptr) {
    state.SkipWithError("zefrsim or the library did not come up");
    return;
  }
  std::vector<std::uint8_t> response(responseLength);
  const auto length = static_cast<std::uint32_t>(request.size());
  // The first call opens the connection; it is not what is measured.
  if (!s.call(request.data(), length, response.data(), responseLength)) {
    state.SkipWithError("first call failed");
    return;
  }
  for (auto _ : state) {
    if (!s.call(request.data(), length, response.data(), responseLength)) {
      state.SkipWithError("call failed");
      break;
    }
    benchmark::DoNotOptimize(response.data());
  }
}

void BM_FailureQuery(benchmark::State& state) { Run(state, {0, 0, 0, 6, 0}, 6); }
BENCHMARK(BM_FailureQuery)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_PayloadCommand(benchmark::State& state) {
  // A refused payload (all zeros) exercises the full-size write without the
  // simulator writing its file each time.
  std::vector<std::uint8_t> request(1989, 0);
  request[0] = 3;
  request[1] = 0xC0;
  request[2] = 0x07;
  request[3] = 1;
  Run(state, request, 1);
}
BENCHMARK(BM_PayloadCommand)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
