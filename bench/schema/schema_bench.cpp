// The main window builds the schema at start; it has to stay well under 5 ms.
#include <benchmark/benchmark.h>

#include "parameter_schema.h"

namespace {

void BM_BuildSchema(benchmark::State& state) {
  for (auto _ : state) {
    zefr::ParameterSchema schema;
    benchmark::DoNotOptimize(schema.DisplayOrder().data());
  }
}
BENCHMARK(BM_BuildSchema)->Unit(benchmark::kMillisecond);

// One lookup as the document does it while loading: key, then option.
void BM_LoadLookups(benchmark::State& state) {
  const zefr::ParameterSchema schema;
  for (auto _ : state) {
    const auto id = schema.ParameterOfKey(40, "SignalFrequency");
    benchmark::DoNotOptimize(schema.OptionOfStored(*id, "25000"));
  }
}
BENCHMARK(BM_LoadLookups);

}  // namespace
