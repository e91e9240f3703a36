// `scenario lsp` as an editor runs it: a whole session on the program's standard input, the
// messages read back from its standard output. It goes through the platform's reading of standard
// input, which differs from one system to the next.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

#include "lsp/framing.h"
#include "lsp/uri.h"
#include "support/paths.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using nlohmann::json;
using test_support::run_program;
using test_support::temp_dir;
using test_support::tool_path;

std::set<std::string> file_names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(test_support::path_of(folder)))
    names.insert(test_support::path_text(entry.path().filename()));
  return names;
}

std::string message(const std::string& method, json params, int id = 0) {
  json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
  if (id != 0) m["id"] = id;
  return lsp::framed(m.dump());
}

TEST(LspProgram, ASessionOnItsStandardStreams) {
  const temp_dir dir;
  ASSERT_EQ(run_program(tool_path(), {"export", "-o", dir.path()}).status, 0);
  const std::string train_path = dir.file("Roma_Pisa_EXPR 368-.txt");
  std::string train = test_support::file_text(train_path);
  const std::size_t signal = train.find("segnale,    2250");
  ASSERT_NE(signal, std::string::npos);
  train.replace(signal, 7, "segnlae");
  const std::string uri = lsp::uri_from_path(train_path);

  // The export's files stay as they are: the edit lives in the open document alone. A request
  // that needs the analysis has it made, and published, before its answer.
  const json document = {{"uri", uri}, {"languageId", "scenario"}, {"version", 7}, {"text", train}};
  const json hover_at = {{"textDocument", {{"uri", uri}}},
                         {"position", {{"line", 102}, {"character", 2}}}};
  dir.write("session",
            message("initialize", {{"processId", nullptr}, {"capabilities", json::object()}}, 1) +
                message("initialized", json::object()) +
                message("textDocument/didOpen", {{"textDocument", document}}) +
                message("textDocument/hover", hover_at, 3) + message("shutdown", nullptr, 2) +
                message("exit", nullptr));
  const auto before = file_names(dir.path());

  const auto run =
      run_program(tool_path(), {"lsp", "--stdio"}, {.input_path = dir.file("session")});
  EXPECT_EQ(run.status, 0) << run.err;

  lsp::frame_reader frames(std::size_t{1} << 24);
  bool shut_down = false;
  std::string hover;
  json misspelt;
  for (const lsp::incoming& frame : frames.take(run.out)) {
    ASSERT_FALSE(frame.malformed) << frame.problem;
    const json m = json::parse(frame.body);
    if (m.value("id", 0) == 2) shut_down = m.contains("result");
    if (m.value("id", 0) == 3) hover = m["result"]["contents"].value("value", "");
    if (m.value("method", "") != "textDocument/publishDiagnostics") continue;
    if (m["params"]["uri"] != uri) continue;
    EXPECT_EQ(m["params"]["version"], 7);
    for (const json& d : m["params"]["diagnostics"])
      if (d["code"] == 201) misspelt = d;
  }
  EXPECT_TRUE(shut_down);
  // On the misspelt key: the explanation of its diagnostic's code.
  EXPECT_NE(hover.find("code 201: unknown key"), std::string::npos) << hover;
  ASSERT_FALSE(misspelt.is_null()) << run.out;
  EXPECT_EQ(misspelt["range"]["start"], json({{"line", 102}, {"character", 0}}));
  EXPECT_EQ(misspelt["range"]["end"], json({{"line", 102}, {"character", 7}}));
  // A server never writes a file.
  EXPECT_EQ(file_names(dir.path()), before);
}

}  // namespace
}  // namespace scenario
