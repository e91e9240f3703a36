#include "tool/compile_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "output/file_names.h"
#include "reader/data_file_names.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::program_output;
using test_support::run_program;
using test_support::temp_dir;

const std::string data_dir = std::string(TEST_DATA_DIR) + "/tool/";
const std::string mini_line = data_dir + "Mini_linea.txt";
const std::string mini_train = data_dir + "Mini_Treno 1-.txt";

struct run_result {
  int status;
  std::string out;
  std::string err;
};

run_result run(compile_options options) {
  std::ostringstream out, err;
  int status = run_compile(options, out, err);
  return {status, out.str(), err.str()};
}

compile_options options_into(const temp_dir& dir, std::string line = mini_line,
                             std::string train = mini_train) {
  compile_options o;
  o.line_path = std::move(line);
  o.train_path = std::move(train);
  o.output_dir = dir.path();
  return o;
}

std::string contents(const std::string& path) {
  temp_dir unused;
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ToolNames, FromFileNames) {
  EXPECT_EQ(route_from_line_file("dir/Roma_Pisa_linea.txt"), "Roma_Pisa");
  EXPECT_EQ(route_from_line_file("_linea.txt"), std::nullopt);
  EXPECT_EQ(route_from_line_file("linea.txt"), std::nullopt);
  EXPECT_EQ(train_from_train_file("a/b/Roma_Pisa_EXPR 368-.txt", "Roma_Pisa"), "EXPR 368");
  EXPECT_EQ(train_from_train_file("Roma_Pisa_-.txt", "Roma_Pisa"), std::nullopt);
  EXPECT_EQ(train_from_train_file("Other_EXPR 368-.txt", "Roma_Pisa"), std::nullopt);
  EXPECT_EQ(train_from_train_file("Roma_Pisa_EXPR 368.txt", "Roma_Pisa"), std::nullopt);
  // The endings in any letter case, as names made on Windows have them; the names keep theirs.
  EXPECT_EQ(route_from_line_file("Costa_LINEA.TXT"), "Costa");
  EXPECT_EQ(route_from_line_file("_Linea.Txt"), std::nullopt);
  EXPECT_EQ(train_from_train_file("Costa_R 7-.TXT", "Costa"), "R 7");
  EXPECT_EQ(train_from_train_file("costa_R 7-.txt", "Costa"), std::nullopt);
}

TEST(ToolCompile, WritesTheThreeFilesAndLeavesTheInputsAlone) {
  temp_dir dir;
  const std::string line_before = contents(mini_line);
  const std::string train_before = contents(mini_train);
  const run_result r = run(options_into(dir));
  EXPECT_EQ(r.status, as_int(exit_status::ok)) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(dir.exists("Mini_linea.dat"));
  EXPECT_TRUE(dir.exists("Mini_Treno 1.sim"));
  EXPECT_TRUE(dir.exists("Mini_Treno 1.dat"));
  EXPECT_EQ(contents(mini_line), line_before);
  EXPECT_EQ(contents(mini_train), train_before);
}

TEST(ToolCompile, NoGeometrySkipsTheLineGeometryFile) {
  temp_dir dir;
  compile_options o = options_into(dir);
  o.no_geometry = true;
  EXPECT_EQ(run(o).status, as_int(exit_status::ok));
  EXPECT_FALSE(dir.exists("Mini_linea.dat"));
  EXPECT_EQ(dir.count(), 2u);
}

TEST(ToolCompile, ReaderFaultNamesFileLineAndPositionAndWritesNothing) {
  temp_dir dir;
  const std::string line = data_dir + "Clash_linea.txt";
  compile_options o = options_into(dir, line);
  o.train = "Treno 1";
  const run_result r = run(o);
  EXPECT_EQ(r.status, as_int(exit_status::fault));
  EXPECT_EQ(r.err, line +
                       ":5:23: error: text board at 450 m: cell 10 (metres 500 to 549) already "
                       "holds a text board, placed by line 4 of the line description; move one "
                       "of the two by 50 m or more [code 6]\n"
                       "   5 | cartello_indicatore,  450,   (Cod)\n"
                       "     |                       ^\n"
                       "hint: `scenario explain 6` tells what this code means, its common causes "
                       "and a corrected example\n"
                       "scenario: nothing written: 1 error, 0 warnings\n");
  EXPECT_EQ(dir.count(), 0u);

  o.no_source = true;
  const std::string without = run(o).err;
  EXPECT_EQ(without.find(" | "), std::string::npos) << without;
  EXPECT_EQ(without.find(line + ":5:23: error: text board at 450 m"), 0u) << without;
}

TEST(ToolCompile, ForceWritesTheModelAfterAReaderFault) {
  temp_dir dir;
  compile_options o = options_into(dir, data_dir + "Clash_linea.txt");
  o.train = "Treno 1";
  o.force = true;
  const run_result r = run(o);
  EXPECT_EQ(r.status, as_int(exit_status::fault));
  EXPECT_TRUE(dir.exists("Clash_Treno 1.dat"));
  EXPECT_EQ(dir.count(), 3u);
}

TEST(ToolCompile, ForceHasNothingToWriteWhenTheCellsWereNeverSized) {
  temp_dir dir;
  dir.write("Short_linea.txt", "[generale]\r\nsfondo uno,    1\r\n[curve]\r\n[fine]\r\n");
  compile_options o = options_into(dir, dir.file("Short_linea.txt"));
  o.train = "Treno 1";
  o.force = true;
  const run_result r = run(o);
  EXPECT_EQ(r.status, as_int(exit_status::fault));
  EXPECT_NE(r.err.find("nothing to write: the reading stopped before the route cells were sized"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(dir.count(), 1u);  // only the input
}

TEST(ToolCompile, JsonIsTheOnlyThingOnStdout) {
  temp_dir dir;
  compile_options o = options_into(dir, data_dir + "Clash_linea.txt");
  o.train = "Treno 1";
  o.json = true;
  const run_result r = run(o);
  const nlohmann::json doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["codice_errore"], 6);
  EXPECT_EQ(doc["posizione_errore"], 450);
  ASSERT_EQ(doc["diagnostics"].size(), 1u);
  const nlohmann::json& d = doc["diagnostics"][0];
  EXPECT_EQ(d["code"], 6);
  EXPECT_EQ(d["position"], 450);
  EXPECT_EQ(d["severity"], "error");
  EXPECT_EQ(d["file"], data_dir + "Clash_linea.txt");
  EXPECT_EQ(d["line"], 5);
  EXPECT_EQ(d["column"], 23);
  EXPECT_EQ(doc["files"], nlohmann::json::array());
  EXPECT_NE(r.err.find("[code 6]"), std::string::npos);  // people still get the text

  o.json = true;
  o.line_path = mini_line;
  o.train.reset();
  const nlohmann::json ok = nlohmann::json::parse(run(o).out);
  EXPECT_EQ(ok["codice_errore"], 0);
  EXPECT_EQ(ok["files"].size(), 3u);
  EXPECT_EQ(ok["files"][0], dir.file("Mini_linea.dat"));
}

TEST(ToolCompile, GuardFailureWritesNothing) {
  temp_dir dir;
  const run_result r = run(options_into(dir, mini_line, data_dir + "Mini_Cell1-.txt"));
  EXPECT_EQ(r.status, as_int(exit_status::guard_failed));
  EXPECT_NE(r.err.find("[code 1250]"), std::string::npos) << r.err;
  EXPECT_EQ(dir.count(), 0u);
}

TEST(ToolCompile, UsageAndFileErrors) {
  temp_dir dir;
  compile_options missing = options_into(dir, data_dir + "no_such_linea.txt");
  missing.train = "Treno 1";
  run_result r = run(missing);
  EXPECT_EQ(r.status, as_int(exit_status::usage_or_file_error));
  EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;

  r = run(options_into(dir, data_dir + "unnamed.txt"));  // the route name cannot be told
  EXPECT_EQ(r.status, as_int(exit_status::usage_or_file_error));
  EXPECT_NE(r.err.find("--route"), std::string::npos) << r.err;

  // The train file does not start with the route's name, so the train name cannot be told.
  r = run(options_into(dir, mini_line, data_dir + "Clash_linea.txt"));
  EXPECT_EQ(r.status, as_int(exit_status::usage_or_file_error));
  EXPECT_NE(r.err.find("cannot tell the train name from \"" + data_dir +
                       "Clash_linea.txt\" (expected Mini_<train>-.txt): give --train"),
            std::string::npos)
      << r.err;

  compile_options too_long = options_into(dir);
  too_long.train = std::string(32768, 't');
  r = run(too_long);
  EXPECT_EQ(r.status, as_int(exit_status::usage_or_file_error));
  EXPECT_NE(r.err.find("32768 bytes long"), std::string::npos) << r.err.substr(0, 200);
  EXPECT_EQ(dir.count(), 0u);

  dir.write("plain", "a file");
  compile_options o = options_into(dir);
  o.output_dir = dir.file("plain") + "/out";
  r = run(o);
  EXPECT_EQ(r.status, as_int(exit_status::usage_or_file_error));
  EXPECT_NE(r.err.find("\"" + dir.file("plain") + "\" exists and is not a directory"),
            std::string::npos)
      << r.err;
}

TEST(ToolCompile, NamesThatWouldLeaveTheOutputFolderAreRefused) {
  struct name_case {
    std::optional<std::string> route;
    std::optional<std::string> train;
    std::string why;
  };
  const name_case cases[] = {
      {"../x", std::nullopt, "the route name \"../x\" holds \"/\""},
      {std::nullopt, "a/b", "the train name \"a/b\" holds \"/\""},
      {std::nullopt, "/", "the train name \"/\" holds \"/\""},
      {".", "Treno 1", "the route name \".\" names a folder"},
      {std::nullopt, "..", "the train name \"..\" names a folder"},
  };
  for (const name_case& c : cases) {
    temp_dir parent;
    std::filesystem::create_directory(parent.file("out"));
    compile_options o = options_into(parent);
    o.output_dir = parent.file("out");
    o.route = c.route;
    o.train = c.train;
    o.json = true;
    const run_result r = run(o);
    EXPECT_EQ(r.status, as_int(exit_status::usage_or_file_error)) << c.why;
    EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
    const nlohmann::json doc = nlohmann::json::parse(r.out);
    EXPECT_NE(doc["error"].get<std::string>().find(c.why), std::string::npos) << r.out;
    EXPECT_EQ(parent.count(), 1u) << c.why;  // only the output folder, and it stays empty
    EXPECT_TRUE(std::filesystem::is_empty(parent.file("out"))) << c.why;
  }
}

const std::string scenario_program = std::string(TEST_BIN_DIR) + "/scenario";

struct json_run {
  program_output run;
  nlohmann::json doc;
};

// The built tool with --json; stdout must be one JSON document, and the parser refuses bad UTF-8.
json_run run_json(std::vector<std::string> args) {
  args.insert(args.begin(), "compile");
  args.push_back("--json");
  json_run r{run_program(scenario_program, args), {}};
  r.doc = nlohmann::json::parse(r.run.out, nullptr, false);
  EXPECT_FALSE(r.doc.is_discarded()) << "not one valid JSON document:\n" << r.run.out << r.run.err;
  return r;
}

TEST(ToolJson, Windows1252NamesAreUtf8InTheDocumentAndKeepTheirBytesOnDisk) {
  temp_dir dir;
  const json_run r = run_json(
      {mini_line, mini_train, "-o", dir.path(), "--route", "Citt\xE0", "--train", "\x8A\x9F"});
  EXPECT_EQ(r.run.status, as_int(exit_status::ok)) << r.run.err;
  EXPECT_EQ(r.doc["files"], (nlohmann::json{dir.file("Citt\xC3\xA0_linea.dat"),
                                            dir.file("Citt\xC3\xA0_\xC5\xA0\xC5\xB8.sim"),
                                            dir.file("Citt\xC3\xA0_\xC5\xA0\xC5\xB8.dat")}));
  EXPECT_TRUE(dir.exists("Citt\xE0_linea.dat"));
  EXPECT_TRUE(dir.exists("Citt\xE0_\x8A\x9F.dat"));
  // The train's record holds the name's own two bytes after their length.
  EXPECT_NE(dir.read("Citt\xE0_\x8A\x9F.sim").find(std::string("\x02\x00\x8A\x9F", 4)),
            std::string::npos);
}

TEST(ToolJson, QuotedFieldIsUtf8InTheDocumentAndRawOnStderr) {
  temp_dir dir;
  dir.write("Bad_linea.txt", "[generale]\r\nlunghezza percorso, \x8A\r\n[fine]\r\n");
  const json_run r =
      run_json({dir.file("Bad_linea.txt"), mini_train, "--train", "Treno 1", "-o", dir.path()});
  EXPECT_EQ(r.run.status, as_int(exit_status::fault));
  ASSERT_EQ(r.doc["diagnostics"].size(), 1u) << r.run.out;
  EXPECT_EQ(r.doc["diagnostics"][0]["code"], 25);
  EXPECT_EQ(r.doc["diagnostics"][0]["message"],
            "unreadable entry: field \"\xC5\xA0\" is not a number");
  EXPECT_NE(r.run.err.find("field \"\x8A\" is not a number"), std::string::npos) << r.run.err;
}

TEST(ToolJson, PathsWithWindows1252BytesAreUtf8InTheDocument) {
  temp_dir dir;
  const std::string folder = dir.file("d\xE9p\xF4t");
  const std::string folder_utf8 = dir.file("d\xC3\xA9p\xC3\xB4t");
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(data_dir + "Clash_linea.txt", folder + "/Clash_linea.txt");

  json_run r =
      run_json({folder + "/Clash_linea.txt", mini_train, "--train", "Treno 1", "-o", dir.path()});
  EXPECT_EQ(r.run.status, as_int(exit_status::fault));
  ASSERT_EQ(r.doc["diagnostics"].size(), 1u) << r.run.out;
  EXPECT_EQ(r.doc["diagnostics"][0]["file"], folder_utf8 + "/Clash_linea.txt");
  EXPECT_NE(r.run.err.find(folder + "/Clash_linea.txt:5:23: error:"), std::string::npos);

  r = run_json({folder + "/Gone_linea.txt", mini_train, "--train", "Treno 1", "-o", dir.path()});
  EXPECT_EQ(r.run.status, as_int(exit_status::usage_or_file_error));
  EXPECT_EQ(r.doc["error"],
            "cannot open \"" + folder_utf8 + "/Gone_linea.txt\": No such file or directory");
}

TEST(ToolCommandLine, ExitStatuses) {
  auto status = [](std::vector<std::string> args) {
    return run_program(scenario_program, args).status;
  };
  EXPECT_EQ(status({"--help"}), 0);
  EXPECT_EQ(status({"compile", "--help"}), 0);
  EXPECT_EQ(status({}), 2);
  EXPECT_EQ(status({"compile", "only-one-file"}), 2);
  EXPECT_EQ(status({"compile", "a", "b", "--no-such-flag"}), 2);
}

}  // namespace
}  // namespace scenario
