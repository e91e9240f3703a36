// Timings of the compile and of each writer: the built-in scenario, and the largest scenario at
// several route lengths, reported per cell and per metre of track plan so that growth with the
// route's length can be read off (it must stay flat per unit).
#include <benchmark/benchmark.h>

#include <string>

#include "compiler/compile.h"
#include "content/documents.h"
#include "largest_scenario.h"
#include "output/compiled_files.h"

namespace scenario {
namespace {

data_files built_in_files() {
  const std::vector<text_document> docs = built_in_documents(built_in_route, built_in_train);
  return {docs[0].bytes(), docs[1].bytes()};
}

data_files largest_files(long route_length) {
  tools::largest_scenario_options options;
  options.route_length = route_length;
  const tools::scenario_texts texts = tools::largest_scenario(options);
  return {texts.line, texts.train};
}

compilation compiled(const data_files& files) {
  compilation c;
  c.route_name = "Roma_Pisa";
  c.train_name = "EXPR 368";
  compile_scenario(c, 1, files);
  return c;
}

// Time per cell and per metre of track plan, as inverted rates.
void per_unit(benchmark::State& state, const compilation& c) {
  const auto per = benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert;
  state.counters["per_cell"] = benchmark::Counter(double(c.percorso.size()), per);
  state.counters["per_metre"] = benchmark::Counter(double(c.tracciato.points()), per);
}

void BM_CompileBuiltIn(benchmark::State& state) {
  const data_files files = built_in_files();
  compilation last;
  for (auto _ : state) {
    last = compiled(files);
    benchmark::DoNotOptimize(last.percorso.data());
  }
  per_unit(state, last);
}
BENCHMARK(BM_CompileBuiltIn)->Unit(benchmark::kMillisecond);

void BM_EncodeRouteCells(benchmark::State& state) {
  const compilation c = compiled(built_in_files());
  for (auto _ : state) benchmark::DoNotOptimize(encode_route_cells(c.percorso));
  per_unit(state, c);
}
BENCHMARK(BM_EncodeRouteCells)->Unit(benchmark::kMicrosecond);

void BM_EncodeScenario(benchmark::State& state) {
  const compilation c = compiled(built_in_files());
  for (auto _ : state) benchmark::DoNotOptimize(encode_scenario(c.voci_generali));
}
BENCHMARK(BM_EncodeScenario)->Unit(benchmark::kMicrosecond);

void BM_EncodeGeometry(benchmark::State& state) {
  const compilation c = compiled(built_in_files());
  for (auto _ : state) benchmark::DoNotOptimize(encode_geometry(c.tracciato));
  per_unit(state, c);
}
BENCHMARK(BM_EncodeGeometry)->Unit(benchmark::kMillisecond);

// The largest scenario at 125, 250, 500 and 1000 km.
void BM_CompileLargest(benchmark::State& state) {
  const data_files files = largest_files(state.range(0));
  compilation last;
  for (auto _ : state) {
    last = compiled(files);
    benchmark::DoNotOptimize(last.percorso.data());
  }
  per_unit(state, last);
}
BENCHMARK(BM_CompileLargest)
    ->RangeMultiplier(2)
    ->Range(125000, 1000000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario

BENCHMARK_MAIN();
