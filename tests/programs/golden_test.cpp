// The programs' golden transcripts (tests/data/golden/): each command of a transcript runs as the
// built program in a scratch folder holding the fixtures of tests/data/tool/, and must print
// exactly what the transcript says, on each stream, and end with its exit status.
//
// When a change of output is meant, rewrite the transcripts from what the programs now print:
//   SCENARIO_UPDATE_GOLDEN=1 ctest --preset test -R Golden
// and read the change in `git diff` before committing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/case_name.h"
#include "support/paths.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/transcript.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using test_support::temp_dir;
using test_support::transcript;
using test_support::transcript_step;

const fs::path golden_dir = fs::path(TEST_DATA_DIR) / "golden";

// Runs one step in `folder`: leading NAME=value words set the environment, and the first word
// after them names a built program.
transcript_step run_step(const transcript_step& expected, const temp_dir& folder) {
  transcript_step got;
  got.notes = expected.notes;
  got.words = expected.words;
  got.status = -1;
  test_support::run_options options{folder.path(), {}};
  std::size_t first = 0;
  while (first < expected.words.size() && expected.words[first].find('=') != std::string::npos &&
         expected.words[first][0] != '-')
    options.environment.push_back(expected.words[first++]);
  if (first == expected.words.size()) return got;
  const std::vector<std::string> args(expected.words.begin() + static_cast<long>(first) + 1,
                                      expected.words.end());
  const test_support::program_output run =
      test_support::run_program(test_support::built_program(expected.words[first]), args, options);
  got.status = run.status;
  got.out = run.out;
  got.err = run.err;
  return got;
}

std::vector<std::string> transcripts() {
  std::vector<std::string> names;
  if (!fs::exists(golden_dir)) return names;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(golden_dir))
    if (e.is_regular_file() && e.path().extension() == ".transcript")
      names.push_back(fs::relative(e.path(), golden_dir).replace_extension().string());
  std::sort(names.begin(), names.end());
  return names;
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, Transcript) {
  const fs::path path = golden_dir / (GetParam() + ".transcript");
  std::string error;
  const std::optional<transcript> expected =
      test_support::parse_transcript(test_support::file_text(test_support::path_text(path)), error);
  ASSERT_TRUE(expected.has_value()) << path << ": " << error;

  temp_dir folder;
  for (const fs::directory_entry& e : fs::directory_iterator(test_support::fixture_dir()))
    fs::copy(e.path(), folder.file(e.path().filename().string()), fs::copy_options::recursive);
  transcript got{expected->comments, {}, expected->closing};
  for (const transcript_step& step : expected->steps) got.steps.push_back(run_step(step, folder));

  const std::string want = test_support::format_transcript(*expected);
  const std::string have = test_support::format_transcript(got);
  if (want != have && std::getenv("SCENARIO_UPDATE_GOLDEN")) {
    std::ofstream(path, std::ios::binary) << have;
    return;
  }
  EXPECT_EQ(want, have) << "rewrite with SCENARIO_UPDATE_GOLDEN=1 if the change is meant";
}

// Test names from the transcript's path: "check/three_faults" becomes check_three_faults.
// The form itself: what is parsed is formatted back as it was written, so that a rewrite changes
// only what the programs print.
TEST(TranscriptForm, ParsesAndFormatsBackUnchanged) {
  const std::string text =
      "# the transcript's comment\n"
      "\n"
      "$ scenario explain \"two words\" \"\"\n"
      "> out\n"
      ">\n"
      "! err without a line end\n"
      "%no-newline stderr\n"
      "[exit 2]\n"
      "\n"
      "# a note on the next command\n"
      "$ NAME=value scenario\n"
      "[exit 0]\n"
      "\n"
      "# closing\n";
  std::string error;
  const std::optional<transcript> t = test_support::parse_transcript(text, error);
  ASSERT_TRUE(t.has_value()) << error;
  ASSERT_EQ(t->steps.size(), 2u);
  EXPECT_EQ(t->steps[0].words, (std::vector<std::string>{"scenario", "explain", "two words", ""}));
  EXPECT_EQ(t->steps[0].out, "out\n\n");
  EXPECT_EQ(t->steps[0].err, "err without a line end");
  EXPECT_EQ(t->steps[0].status, 2);
  EXPECT_EQ(t->steps[1].notes, std::vector<std::string>{"# a note on the next command"});
  EXPECT_EQ(test_support::format_transcript(*t), text);

  EXPECT_FALSE(test_support::parse_transcript("$ scenario\n# note\n> late output\n", error));
  EXPECT_EQ(error,
            "line 3: neither a command, an output line, an exit status nor a comment: > "
            "late output");
}

INSTANTIATE_TEST_SUITE_P(, Golden, ::testing::ValuesIn(transcripts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return test_support::case_name(info.param);
                         });

}  // namespace
}  // namespace scenario
