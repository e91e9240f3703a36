// The programs' golden transcripts (tests/data/golden/): each command of a transcript runs as the
// built program in a scratch folder holding the fixtures of tests/data/tool/, and must print
// exactly what the transcript says, on each stream, and end with its exit status.
//
// When a change of output is meant, rewrite the transcripts from what the programs now print:
//   SCENARIO_UPDATE_GOLDEN=1 ctest --preset test -R Golden
// and read the change in `git diff` before committing it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/transcript.h"

extern char** environ;

namespace scenario {
namespace {

namespace fs = std::filesystem;
using test_support::temp_dir;
using test_support::transcript;
using test_support::transcript_step;

const fs::path golden_dir = fs::path(TEST_DATA_DIR) / "golden";

std::string file_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs one step in `folder`: leading NAME=value words set the environment, the first word after
// them names a built program, and the standard input is empty.
transcript_step run_step(const transcript_step& expected, const temp_dir& folder) {
  transcript_step got;
  got.words = expected.words;
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  std::size_t first = 0;
  while (first < expected.words.size() && expected.words[first].find('=') != std::string::npos &&
         expected.words[first][0] != '-') {
    const std::string& assignment = expected.words[first];
    const std::string name = assignment.substr(0, assignment.find('=') + 1);
    std::erase_if(env, [&](const std::string& v) { return v.rfind(name, 0) == 0; });
    env.push_back(assignment);
    ++first;
  }
  std::vector<std::string> words(expected.words.begin() + static_cast<long>(first),
                                 expected.words.end());
  if (words.empty()) {
    got.status = -1;
    return got;
  }
  words[0] = std::string(TEST_BIN_DIR) + "/" + words[0];

  const std::string out_path = folder.file(".stdout");
  const std::string err_path = folder.file(".stderr");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.path().c_str());
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv, envp;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  got.status = -1;
  if (spawned == 0) {
    int raw = 0;
    if (::waitpid(pid, &raw, 0) == pid) {
      if (WIFEXITED(raw)) got.status = WEXITSTATUS(raw);
      if (WIFSIGNALED(raw)) got.status = 128 + WTERMSIG(raw);
    }
  }
  got.out = folder.read(".stdout");
  got.err = folder.read(".stderr");
  fs::remove(out_path);
  fs::remove(err_path);
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
  const std::optional<transcript> expected = test_support::parse_transcript(file_text(path), error);
  ASSERT_TRUE(expected.has_value()) << path << ": " << error;

  temp_dir folder;
  for (const fs::directory_entry& e : fs::directory_iterator(fs::path(TEST_DATA_DIR) / "tool"))
    fs::copy(e.path(), folder.file(e.path().filename().string()), fs::copy_options::recursive);
  transcript got{expected->comments, {}};
  for (const transcript_step& step : expected->steps) got.steps.push_back(run_step(step, folder));

  const std::string want = test_support::format_transcript(*expected);
  const std::string have = test_support::format_transcript(got);
  if (want != have && std::getenv("SCENARIO_UPDATE_GOLDEN")) {
    std::ofstream(path, std::ios::binary) << have;
    return;
  }
  EXPECT_EQ(want, have) << "rewrite with SCENARIO_UPDATE_GOLDEN=1 if the change is meant";
}

// Test names from the transcript's path: "check/three_faults" becomes "check_three_faults".
std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(, Golden, ::testing::ValuesIn(transcripts()), test_name);

}  // namespace
}  // namespace scenario
