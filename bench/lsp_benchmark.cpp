// The language server's answer to typing: the time from a change notification (one character
// edited in an open train scenario, its line description open beside it) to the diagnostics of
// both files published, on the built-in pair and on the largest scenario. The server runs in
// memory, as its tests drive it; in an editor its loop adds a settle time of 5 ms first.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <string>

#include "content/documents.h"
#include "largest_scenario.h"
#include "lsp/framing.h"
#include "lsp/server.h"
#include "tool/text_encoding.h"

namespace scenario {
namespace {

std::string message(const nlohmann::json& m) {
  return lsp::framed(m.dump());
}

void time_a_change(benchmark::State& state, const std::string& route, const std::string& train,
                   const std::string& line_bytes, const std::string& train_bytes) {
  std::size_t written = 0;
  std::size_t published = 0;
  lsp::server server(
      [&](std::string_view frame) {
        written += frame.size();
        published += frame.find("publishDiagnostics") != std::string_view::npos;
      },
      lsp::file_access{[](const std::string&) { return std::optional<std::string>(); },
                       [](const std::string&) { return std::vector<std::string>(); }});
  const std::string line_uri = "file:///bench/" + route + "_linea.txt";
  const std::string train_uri = "file:///bench/" + route + "_" + train + "-.txt";
  server.receive(
      message({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {}}}));
  for (const auto& [uri, bytes] :
       {std::pair{line_uri, line_bytes}, std::pair{train_uri, train_bytes}})
    server.receive(message({{"jsonrpc", "2.0"},
                            {"method", "textDocument/didOpen"},
                            {"params",
                             {{"textDocument",
                               {{"uri", uri},
                                {"languageId", "scenario"},
                                {"version", 1},
                                {"text", utf8_from_cp1252(bytes)}}}}}}));
  server.analyse_pending();

  // The first character of the last line but one ("[fine]" is the last) typed over, alternately
  // with a blank and with what it was.
  std::size_t lines = 0;
  for (char ch : train_bytes) lines += ch == '\n';
  const std::string first(1, train_bytes[train_bytes.rfind('\n', train_bytes.size() - 2 - 8) + 1]);
  int version = 1;
  for (auto _ : state) {
    ++version;
    const nlohmann::json range = {{"start", {{"line", lines - 2}, {"character", 0}}},
                                  {"end", {{"line", lines - 2}, {"character", 1}}}};
    server.receive(message(
        {{"jsonrpc", "2.0"},
         {"method", "textDocument/didChange"},
         {"params",
          {{"textDocument", {{"uri", train_uri}, {"version", version}}},
           {"contentChanges", {{{"range", range}, {"text", version % 2 ? first : " "}}}}}}}));
    server.analyse_pending();
  }
  if (published < 2 * static_cast<std::size_t>(state.iterations()))
    state.SkipWithError("the diagnostics of both files were not published at every change");
  state.counters["bytes_published"] =
      benchmark::Counter(static_cast<double>(written), benchmark::Counter::kAvgIterations);
}

void BM_ChangeToDiagnosticsBuiltIn(benchmark::State& state) {
  const std::vector<text_document> docs = built_in_documents(built_in_route, built_in_train);
  time_a_change(state, built_in_route, built_in_train, docs[0].bytes(), docs[1].bytes());
}
BENCHMARK(BM_ChangeToDiagnosticsBuiltIn)->Unit(benchmark::kMillisecond);

void BM_ChangeToDiagnosticsLargest(benchmark::State& state) {
  const tools::scenario_texts texts = tools::largest_scenario();
  time_a_change(state, "Roma_Pisa", "EXPR 368", texts.line, texts.train);
}
BENCHMARK(BM_ChangeToDiagnosticsLargest)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario

BENCHMARK_MAIN();
