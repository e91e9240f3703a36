#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/compiled_files.h"
#include "platform/files.h"
#include "programs/built_in_run.h"
#include "support/case_name.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::PrintTo;
using test_support::temp_dir;

class recording_ui final : public user_interface {
 public:
  void show_notice(std::string_view text) override {
    events.push_back("notice:" + std::string(text));
  }
  void message_box(std::string_view prompt) override {
    events.push_back("box:" + std::string(prompt));
  }
  void warning(std::string_view text) override { events.push_back("warning:" + std::string(text)); }
  std::vector<std::string> events;
};

const std::string route = "Roma_Pisa";
const std::string train = "EXPR 368";
const std::string line_file = "Roma_Pisa_linea.txt";
const std::string train_file = "Roma_Pisa_EXPR 368-.txt";
const std::string geometry = "Roma_Pisa_linea.dat";
const std::string scenario_file = "Roma_Pisa_EXPR 368.sim";
const std::string cells = "Roma_Pisa_EXPR 368.dat";

const std::string small_line =
    "[generale]\r\nlunghezza percorso,    1000\r\n[curve]\r\ncurvad1,  100,  50\r\n"
    "pendenza,  0,   2\r\n[fine]\r\n";
const std::string small_train = "[generale]\r\nnumero vetture,    4\r\n[fine]\r\n";

void write_data(const temp_dir& dir, const std::string& line, const std::string& train_text) {
  dir.write(line_file, line);
  dir.write(train_file, train_text);
}

TEST(CompileDirectory, WritesTheCompiledFilesAndRemovesTheDataFiles) {
  temp_dir dir;
  write_data(dir, small_line, small_train);
  recording_ui ui;
  ASSERT_EQ(compile_directory(ui, dir.path(), route, train, true), 0);
  EXPECT_TRUE(ui.events.empty());
  EXPECT_FALSE(dir.exists(line_file));
  EXPECT_FALSE(dir.exists(train_file));
  EXPECT_EQ(dir.read(cells).size(), 15u * 161u);  // cells 0 .. (1000 + 7000) / 50
  EXPECT_EQ(dir.read(scenario_file).size(), 87u * 34u + route.size() + train.size());
  EXPECT_TRUE(dir.exists(geometry));
  EXPECT_EQ(dir.count(), 3u);
}

TEST(CompileDirectory, RunningTwiceGivesIdenticalFiles) {
  temp_dir dir;
  recording_ui ui;
  write_data(dir, small_line, small_train);
  ASSERT_EQ(compile_directory(ui, dir.path(), route, train, true), 0);
  const std::string first[] = {dir.read(geometry), dir.read(scenario_file), dir.read(cells)};
  write_data(dir, small_line, small_train);
  ASSERT_EQ(compile_directory(ui, dir.path(), route, train, true), 0);
  EXPECT_EQ(dir.read(geometry), first[0]);
  EXPECT_EQ(dir.read(scenario_file), first[1]);
  EXPECT_EQ(dir.read(cells), first[2]);
}

TEST(CompileDirectory, WithoutTrackPlanAnOlderGeometryFileIsLeftAlone) {
  temp_dir dir;
  dir.write(geometry, "older geometry");
  write_data(dir, small_line, small_train);
  recording_ui ui;
  ASSERT_EQ(compile_directory(ui, dir.path(), route, train, false), 0);
  EXPECT_EQ(dir.read(geometry), "older geometry");
  EXPECT_TRUE(dir.exists(cells));
}

TEST(CompileDirectory, ReaderFaultIsShownAndNothingIsWritten) {
  temp_dir dir;
  dir.write(cells, "older cells");
  write_data(dir, "[generale]\r\nlunghezza percorso,    1000001\r\n[curve]\r\n[fine]\r\n",
             small_train);
  recording_ui ui;
  EXPECT_EQ(compile_directory(ui, dir.path(), route, train, true), 1);
  EXPECT_EQ(ui.events, std::vector<std::string>{"box: Errore n. 1"});
  EXPECT_EQ(dir.read(cells), "older cells");
  EXPECT_FALSE(dir.exists(scenario_file));
  EXPECT_FALSE(dir.exists(line_file));
  EXPECT_FALSE(dir.exists(train_file));
}

struct prompt_case {
  const char* what;
  std::string line, train, prompt;
};

const std::string clash =
    "[generale]\r\nlunghezza percorso,    1000\r\n[indicazioni]\r\n"
    "cartello_indicatore,  450,   (Zona)\r\ncartello_indicatore,  450,   (Cod)\r\n[fine]\r\n";
// A board past the route's cells: 15 at 7950, then the first signal stops the train reading.
const std::string beyond =
    "[generale]\r\nlunghezza percorso,    1000\r\n[indicazioni]\r\n"
    "cartello_indicatore,  7950,   (Zona)\r\n[fine]\r\n";
const std::string signal_at_2000 =
    "[generale]\r\nsegnale,    2000,   2, 3, 1,  1, 0,    2,  2,1,1, 160\r\n[fine]\r\n";

class ReaderFaultPrompt : public ::testing::TestWithParam<prompt_case> {};

TEST_P(ReaderFaultPrompt, CarriesTheLastPosition) {
  temp_dir dir;
  write_data(dir, GetParam().line, GetParam().train);
  recording_ui ui;
  EXPECT_EQ(compile_directory(ui, dir.path(), route, train, true), 1);
  EXPECT_EQ(ui.events, std::vector<std::string>{GetParam().prompt});
}

INSTANTIATE_TEST_SUITE_P(
    , ReaderFaultPrompt,
    ::testing::Values(prompt_case{"text board on a text board", clash, small_train,
                                  "box: Errore n. 6 - posizione 450"},
                      prompt_case{"text board beyond the route", beyond, small_train,
                                  "box: Errore n. 15 - posizione 7950"},
                      prompt_case{"first signal after a line fault", beyond, signal_at_2000,
                                  "box: Errore n. 15 - posizione 2000"}),
    test_support::name_from_what{});

TEST(CompileDirectory, MissingLineFileIsReported) {
  temp_dir dir;
  dir.write(train_file, small_train);
  recording_ui ui;
  EXPECT_EQ(compile_directory(ui, dir.path(), route, train, true), 1);
  EXPECT_EQ(ui.events, std::vector<std::string>{"box: Errore n. 101"});
  EXPECT_EQ(dir.count(), 0u);
}

TEST(CompileDirectory, GuardCheckFailureWritesNoCompiledFile) {
  temp_dir dir;
  dir.write(scenario_file, "older scenario");
  // A signal at 0 lands in cell 1, the cell that carries the scenario marker.
  write_data(dir, small_line,
             "[generale]\r\n[segnali]\r\nsegnale,    0,   2, 3, 1,  1, 0,    2,  2,1,1, 160\r\n"
             "[fine]\r\n");
  recording_ui ui;
  EXPECT_EQ(compile_directory(ui, dir.path(), route, train, true), 3);
  EXPECT_EQ(ui.events, std::vector<std::string>{"box: Errore n. 1250"});
  EXPECT_EQ(dir.read(scenario_file), "older scenario");
  EXPECT_FALSE(dir.exists(cells));
  EXPECT_FALSE(dir.exists(geometry));
}

TEST(CompileDirectory, UnwritableTargetGivesFileErrorAndKeepsEveryOlderFile) {
  temp_dir dir;
  write_data(dir, small_line, small_train);
  dir.write(geometry, "older geometry");
  dir.write(scenario_file, "older scenario");
  // A directory in the way of the route cell file, the last of the three.
  std::filesystem::create_directory(dir.file(cells));
  recording_ui ui;
  EXPECT_THROW(compile_directory(ui, dir.path(), route, train, true), file_error);
  EXPECT_EQ(dir.read(geometry), "older geometry");
  EXPECT_EQ(dir.read(scenario_file), "older scenario");
  EXPECT_TRUE(std::filesystem::is_directory(dir.file(cells)));
  EXPECT_EQ(dir.count(), 3u);  // geometry, scenario, the directory: no temporary left
}

TEST(CompileDirectory, UnusableNameIsRefusedBeforeAnyFileIsTouched) {
  temp_dir dir;
  write_data(dir, small_line, small_train);
  recording_ui ui;
  EXPECT_EQ(compile_directory(ui, dir.path(), route, std::string(40000, 't'), true), 2);
  EXPECT_EQ(compile_directory(ui, dir.path(), "../" + route, train, true), 2);
  EXPECT_EQ(ui.events, (std::vector<std::string>{
                           "warning:the train name is 40000 bytes long; the scenario file stores "
                           "at most 32767",
                           "warning:the route name \"../Roma_Pisa\" holds \"/\": the compiled "
                           "files must stay inside the output folder"}));
  EXPECT_TRUE(dir.exists(line_file));
  EXPECT_TRUE(dir.exists(train_file));
  EXPECT_EQ(dir.count(), 2u);
}

TEST(FormLoad, ShowsTheNoticeBeforeAnythingElse) {
  temp_dir dir;
  recording_ui ui;
  run_built_in(ui, dir.path());
  ASSERT_FALSE(ui.events.empty());
  EXPECT_EQ(ui.events.front(), "notice:Attendere");
}

}  // namespace
}  // namespace scenario
