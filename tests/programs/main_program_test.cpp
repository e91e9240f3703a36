// The main program as a user runs it: from another directory, working next to its own executable.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::temp_dir;

struct program_run {
  int status;
  std::string err;
};

// Copies the program into `dir` and runs it from the root directory with no terminal on stdin.
program_run run_copy_in(const temp_dir& dir, const std::string& arguments = "") {
  std::filesystem::copy_file(std::string(TEST_BIN_DIR) + "/roma_pisa", dir.file("roma_pisa"),
                             std::filesystem::copy_options::overwrite_existing);
  const std::string command = "cd / && '" + dir.file("roma_pisa") + "' " + arguments +
                              " </dev/null >/dev/null 2>'" + dir.file("stderr.txt") + "'";
  const int raw = std::system(command.c_str());
  program_run r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, dir.read("stderr.txt")};
  std::filesystem::remove(dir.file("stderr.txt"));
  return r;
}

// What a run leaves: the three compiled files and the three documents; the data files are gone.
const char* const left_by_a_run[] = {
    "Roma_Pisa_linea.dat",
    "Roma_Pisa_EXPR 368.sim",
    "Roma_Pisa_EXPR 368.dat",
    "Roma_Pisa_EXPR 368_note.txt",
    "Roma_Pisa_EXPR 368_rallentamenti.txt",
    "Roma_Pisa_EXPR 368_scheda_treno.txt",
};

TEST(MainProgram, CompilesItsBuiltInScenarioNextToItself) {
  temp_dir dir;
  const program_run first = run_copy_in(dir);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "Attendere\n");
  EXPECT_EQ(dir.count(), 7u);  // the program and what it left
  std::vector<std::string> before;
  for (const char* name : left_by_a_run) {
    ASSERT_TRUE(dir.exists(name)) << name;
    before.push_back(dir.read(name));
  }
  EXPECT_EQ(before[2].size(), 102315u);

  // A second run replaces every file with the same bytes.
  const program_run second = run_copy_in(dir);
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(dir.count(), 7u);
  for (std::size_t i = 0; i < before.size(); ++i)
    EXPECT_EQ(dir.read(left_by_a_run[i]), before[i]) << left_by_a_run[i];
}

// Asked for its help or version, or given a word it does not know, the program compiles nothing
// and writes nothing next to itself.
TEST(MainProgram, ArgumentsNeverStartACompile) {
  temp_dir dir;
  for (const auto& [arguments, status] :
       {std::pair{"--help", 0}, {"--version", 0}, {"-h", 0}, {"--bogus", 2}, {"--help extra", 2}}) {
    const program_run r = run_copy_in(dir, arguments);
    EXPECT_EQ(r.status, status) << arguments << ": " << r.err;
    EXPECT_EQ(r.err.find("Attendere"), std::string::npos) << arguments;
    EXPECT_EQ(dir.count(), 1u) << arguments;  // the program alone
  }
}

TEST(MainProgram, FileThatCannotBeWrittenEndsWithStatus2AndItsName) {
  temp_dir dir;
  std::filesystem::create_directory(dir.file("Roma_Pisa_EXPR 368.dat"));
  const program_run r = run_copy_in(dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(
      r.err.find("roma_pisa: cannot replace \"" + dir.file("Roma_Pisa_EXPR 368.dat") + "\": "),
      std::string::npos)
      << r.err;
}

}  // namespace
}  // namespace scenario
