// `scenario compile` where the files it leaves matter: what it writes, what it leaves alone, and
// names in Windows-1252. What it prints is in the golden transcripts (data/golden/compile/).
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
#include "support/case_name.h"
#include "support/paths.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::file_text;
using test_support::fixture_path;
using test_support::PrintTo;
using test_support::program_output;
using test_support::run_program;
using test_support::temp_dir;

const std::string mini_line = fixture_path("Mini_linea.txt");
const std::string mini_train = fixture_path("Mini_Treno 1-.txt");

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
  const std::string line_before = file_text(mini_line);
  const std::string train_before = file_text(mini_train);
  const run_result r = run(options_into(dir));
  EXPECT_EQ(r.status, as_int(exit_status::ok)) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(dir.exists("Mini_linea.dat"));
  EXPECT_TRUE(dir.exists("Mini_Treno 1.sim"));
  EXPECT_TRUE(dir.exists("Mini_Treno 1.dat"));
  EXPECT_EQ(file_text(mini_line), line_before);
  EXPECT_EQ(file_text(mini_train), train_before);
}

TEST(ToolCompile, NoGeometrySkipsTheLineGeometryFile) {
  temp_dir dir;
  compile_options o = options_into(dir);
  o.no_geometry = true;
  EXPECT_EQ(run(o).status, as_int(exit_status::ok));
  EXPECT_FALSE(dir.exists("Mini_linea.dat"));
  EXPECT_EQ(dir.count(), 2u);
}

TEST(ToolCompile, ReaderFaultWritesNothing) {
  temp_dir dir;
  compile_options o = options_into(dir, fixture_path("Clash_linea.txt"));
  o.train = "Treno 1";
  EXPECT_EQ(run(o).status, as_int(exit_status::fault));
  EXPECT_EQ(dir.count(), 0u);
}

TEST(ToolCompile, ForceWritesTheModelAfterAReaderFault) {
  temp_dir dir;
  compile_options o = options_into(dir, fixture_path("Clash_linea.txt"));
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
  EXPECT_EQ(run(o).status, as_int(exit_status::fault));
  EXPECT_EQ(dir.count(), 1u);  // only the input
}

TEST(ToolCompile, GuardFailureWritesNothing) {
  temp_dir dir;
  EXPECT_EQ(run(options_into(dir, mini_line, fixture_path("Mini_Cell1-.txt"))).status,
            as_int(exit_status::guard_failed));
  EXPECT_EQ(dir.count(), 0u);
}

// A name too long for the scenario file is refused before anything is written; the message is
// here rather than in a transcript, for the 32768 bytes of the name.
TEST(ToolCompile, NameTooLongToStoreWritesNothing) {
  temp_dir dir;
  compile_options o = options_into(dir);
  o.train = std::string(32768, 't');
  const run_result r = run(o);
  EXPECT_EQ(r.status, as_int(exit_status::usage_or_file_error));
  EXPECT_EQ(r.err,
            "scenario: error: the train name is 32768 bytes long; the scenario file stores at "
            "most 32767\n");
  EXPECT_EQ(dir.count(), 0u);
}

struct name_case {
  const char* what;
  std::optional<std::string> route;
  std::optional<std::string> train;
  std::string why;
};

const name_case name_cases[] = {
    {"route climbing out", "../x", std::nullopt, "the route name \"../x\" holds \"/\""},
    {"train in a subfolder", std::nullopt, "a/b", "the train name \"a/b\" holds \"/\""},
    {"train the root", std::nullopt, "/", "the train name \"/\" holds \"/\""},
    {"route the folder itself", ".", "Treno 1", "the route name \".\" names a folder"},
    {"train the parent folder", std::nullopt, "..", "the train name \"..\" names a folder"},
};

class NamesLeavingTheOutputFolder : public ::testing::TestWithParam<name_case> {};

TEST_P(NamesLeavingTheOutputFolder, AreRefusedAndNothingIsWritten) {
  const name_case& c = GetParam();
  temp_dir parent;
  std::filesystem::create_directory(parent.file("out"));
  compile_options o = options_into(parent);
  o.output_dir = parent.file("out");
  o.route = c.route;
  o.train = c.train;
  o.json = true;
  const run_result r = run(o);
  const std::string reason = c.why + ": the compiled files must stay inside the output folder";
  EXPECT_EQ(r.status, as_int(exit_status::usage_or_file_error));
  EXPECT_EQ(r.err, "scenario: error: " + reason + "\n");
  EXPECT_EQ(nlohmann::json::parse(r.out)["error"], reason);
  EXPECT_EQ(parent.count(), 1u);  // only the output folder, and it stays empty
  EXPECT_TRUE(std::filesystem::is_empty(parent.file("out")));
}

INSTANTIATE_TEST_SUITE_P(, NamesLeavingTheOutputFolder, ::testing::ValuesIn(name_cases),
                         test_support::name_from_what{});

struct json_run {
  program_output run;
  nlohmann::json doc;
};

// The built tool with --json; stdout must be one JSON document, and the parser refuses bad UTF-8.
json_run run_json(std::vector<std::string> args) {
  args.insert(args.begin(), "compile");
  args.push_back("--json");
  json_run r{run_program(test_support::tool_path(), args), {}};
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
#ifdef _WIN32
  // Windows hands the program its arguments in UTF-16, so the name arrives as UTF-8: the train's
  // record holds its four bytes after their length.
  const std::string record("\x04\x00\xC5\xA0\xC5\xB8", 6);
#else
  // The train's record holds the name's own two bytes after their length.
  const std::string record("\x02\x00\x8A\x9F", 4);
#endif
  EXPECT_NE(dir.read("Citt\xE0_\x8A\x9F.sim").find(record), std::string::npos);
}

// A route and a train named with accented letters, typed as people type them (UTF-8): the files
// take those names, on Windows too, whatever its code page.
TEST(ToolCompile, AccentedNamesNameTheFilesAsTyped) {
  temp_dir in, out;
  const std::string route = "Citt\xC3\xA0";
  const std::string train = "Treno \xC3\xB9";
  const std::string line = in.file(route + "_linea.txt");
  const std::string train_file = in.file(route + "_" + train + "-.txt");
  std::filesystem::copy_file(mini_line, test_support::path_of(line));
  std::filesystem::copy_file(mini_train, test_support::path_of(train_file));
  const program_output r =
      run_program(test_support::tool_path(), {"compile", line, train_file, "-o", out.path()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "scenario: wrote \"" + out.file(route + "_linea.dat") + "\", \"" +
                       out.file(route + "_" + train + ".sim") + "\" and \"" +
                       out.file(route + "_" + train + ".dat") + "\"\n");
  const std::filesystem::path folder = test_support::path_of(out.path());
  for (const char8_t* name :
       {u8"Citt\u00E0_linea.dat", u8"Citt\u00E0_Treno \u00F9.sim", u8"Citt\u00E0_Treno \u00F9.dat"})
    EXPECT_TRUE(std::filesystem::exists(folder / std::u8string(name)));
  EXPECT_EQ(out.count(), 3u);
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
  EXPECT_TRUE(test_support::contains(r.run.err, "field \"\x8A\" is not a number")) << r.run.err;
}

TEST(ToolJson, PathsWithWindows1252BytesAreUtf8InTheDocument) {
  temp_dir dir;
  const std::string folder = dir.file("d\xE9p\xF4t");
  const std::string folder_utf8 = dir.file("d\xC3\xA9p\xC3\xB4t");
  std::filesystem::create_directory(test_support::path_of(folder));
  std::filesystem::copy_file(fixture_path("Clash_linea.txt"),
                             test_support::path_of(folder + "/Clash_linea.txt"));
#ifdef _WIN32
  // The path arrives as UTF-8 (see above), and the messages say it as it arrived.
  const std::string said = folder_utf8;
#else
  const std::string said = folder;
#endif

  json_run r =
      run_json({folder + "/Clash_linea.txt", mini_train, "--train", "Treno 1", "-o", dir.path()});
  EXPECT_EQ(r.run.status, as_int(exit_status::fault));
  ASSERT_EQ(r.doc["diagnostics"].size(), 1u) << r.run.out;
  EXPECT_EQ(r.doc["diagnostics"][0]["file"], folder_utf8 + "/Clash_linea.txt");
  EXPECT_TRUE(test_support::contains(r.run.err, said + "/Clash_linea.txt:5:23: error:"));

  r = run_json({folder + "/Gone_linea.txt", mini_train, "--train", "Treno 1", "-o", dir.path()});
  EXPECT_EQ(r.run.status, as_int(exit_status::usage_or_file_error));
  EXPECT_EQ(r.doc["error"],
            "cannot open \"" + folder_utf8 + "/Gone_linea.txt\": No such file or directory");
}

}  // namespace
}  // namespace scenario
