// `scenario diff` of the largest scenario against a copy with one signal moved: the whole command
// on the compiled files (reading and decoding both scenarios' three files, comparing, printing),
// and the comparison alone on the decoded scenarios.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "compiler/compile.h"
#include "largest_scenario.h"
#include "tool/compiled_view.h"
#include "tool/diff_command.h"
#include "tool/scenario_diff.h"

namespace scenario {
namespace {

// The two compiled scenarios, written once into a scratch folder.
struct largest_pair {
  std::string folder;
  std::string a, b;  // route cell files
  std::string error;

  largest_pair() {
    std::string templ = (std::filesystem::temp_directory_path() / "diff-bench-XXXXXX").string();
    folder = ::mkdtemp(templ.data());
    const tools::scenario_texts texts = tools::largest_scenario();
    std::string moved = texts.train;
    // Cell 92 holds a signal; cell 95 is left free by the restriction of its 10 km unit.
    const std::string from = "segnale,  4550,", to = "segnale,  4700,";
    const std::size_t at = moved.find(from);
    if (at == std::string::npos) {
      error = "the largest scenario has no signal at 4550 m";
      return;
    }
    moved.replace(at, from.size(), to);
    a = compiled(texts.line, texts.train, "a");
    b = compiled(texts.line, moved, "b");
  }
  ~largest_pair() { std::filesystem::remove_all(folder); }

  std::string compiled(const std::string& line, const std::string& train, const std::string& sub) {
    compile_request request;
    request.route = "Largest";
    request.train = "T 1";
    const compile_result result = compile_pair(request, {line, train});
    if (result.status != exit_status::ok) error = "the largest scenario does not compile";
    const std::string dir = folder + "/" + sub;
    std::filesystem::create_directories(dir);
    write_compiled_files(dir, result.to_write);
    return dir + "/Largest_T 1.dat";
  }
};

const largest_pair& pair() {
  static const largest_pair p;
  return p;
}

void BM_DiffLargestCompiled(benchmark::State& state) {
  const largest_pair& p = pair();
  if (!p.error.empty()) return state.SkipWithError(p.error.c_str());
  diff_options options;
  options.inputs = {p.a, p.b};
  std::string report;
  for (auto _ : state) {
    std::ostringstream out, err;
    benchmark::DoNotOptimize(run_diff(options, out, err));
    report = out.str();
  }
  // One change: the signal, moved three cells on.
  if (report.rfind("signals:\n  moved    4550 -> 4700 m (+150 m): ", 0) != 0 ||
      report.find('\n', 10) != report.size() - 1)
    state.SkipWithError(("unexpected report: " + report).c_str());
}
BENCHMARK(BM_DiffLargestCompiled)->Unit(benchmark::kMillisecond);

void BM_CompareLargest(benchmark::State& state) {
  const largest_pair& p = pair();
  if (!p.error.empty()) return state.SkipWithError(p.error.c_str());
  const loaded<std::vector<cella>> cells_a = load_route_cells(p.a), cells_b = load_route_cells(p.b);
  const loaded<tabella_voci> voci_a = load_scenario(scenario_beside(p.a)),
                             voci_b = load_scenario(scenario_beside(p.b));
  const std::string geometry = std::filesystem::path(p.a).parent_path() / "Largest_linea.dat";
  const loaded<track_points> plan_a = load_geometry(geometry),
                             plan_b = load_geometry(std::filesystem::path(p.b).parent_path() /
                                                    "Largest_linea.dat");
  const scenario_view a{&*cells_a, &*voci_a, &*plan_a}, b{&*cells_b, &*voci_b, &*plan_b};
  for (auto _ : state) benchmark::DoNotOptimize(compare_scenarios(a, b));
}
BENCHMARK(BM_CompareLargest)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario

BENCHMARK_MAIN();
