// Timings of a whole compile and of the geometry encoding at the longest route (1,000,000 m).
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "driver/pipeline.h"
#include "output/compiled_files.h"

namespace scenario {
namespace {

data_files longest_route() {
  std::ostringstream line;
  line << "[generale]\r\nlunghezza percorso,    1000000\r\n[curve]\r\n";
  int n = 0;
  for (long p = 1000; p < 990000; p += 3000, ++n)
    line << "curva"
         << "sd"[n % 2] << "123456"[n % 6] << ",  " << p << ",  " << 300 + (n % 5) * 100 << "\r\n";
  line << "[pendenze]\r\n";
  for (long p = 0; p < 990000; p += 5000)
    line << "pendenza,  " << p << ",   " << (p / 5000) % 11 - 5 << "\r\n";
  line << "[fine]\r\n";

  std::ostringstream train;
  train << "[generale]\r\nnumero vetture,    16\r\n[segnali]\r\n";
  for (long p = 1050; p < 990000; p += 1500)
    train << "segnale,  " << p << ",   2, 3, 1,  1, 0,    2,  2,1,1, 0\r\n";
  train << "[fine]\r\n";
  return {line.str(), train.str()};
}

void BM_CompileLongestRoute(benchmark::State& state) {
  const data_files files = longest_route();
  for (auto _ : state) {
    compilation c;
    c.nome_percorso = "Lunga";
    c.nome_treno = "T";
    benchmark::DoNotOptimize(memorizza_percorso(c, 1, files));
  }
}
BENCHMARK(BM_CompileLongestRoute)->Unit(benchmark::kMillisecond);

void BM_EncodeGeometryLongestRoute(benchmark::State& state) {
  compilation c;
  c.nome_percorso = "Lunga";
  c.nome_treno = "T";
  memorizza_percorso(c, 1, longest_route());
  for (auto _ : state) benchmark::DoNotOptimize(encode_geometry(c.tracciato));
}
BENCHMARK(BM_EncodeGeometryLongestRoute)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario

BENCHMARK_MAIN();
