// The main program as a user runs it: from another directory, working next to its own executable.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/compiled_digests.h"
#include "support/paths.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::temp_dir;

using test_support::program_output;

// Copies the program into `dir` and runs it from the root directory with no terminal on stdin.
program_output run_copy_in(const temp_dir& dir, const std::vector<std::string>& args = {}) {
  const std::string copy = dir.file(std::string("roma_pisa") + TEST_PROGRAM_ENDING);
  std::filesystem::copy_file(test_support::built_program("roma_pisa"), copy,
                             std::filesystem::copy_options::overwrite_existing);
  return test_support::run_program(copy, args, {"/", {}});
}

// What a run leaves: the three compiled files and the three documents; the data files are gone.
const std::vector<std::string>& left_by_a_run = test_support::main_program_files;

TEST(MainProgram, CompilesItsBuiltInScenarioNextToItself) {
  temp_dir dir;
  const program_output first = run_copy_in(dir);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "Attendere\n");
  EXPECT_EQ(dir.count(), 7u);  // the program and what it left
  std::vector<std::string> before;
  const std::string recorded = test_support::recorded_digests();
  for (const std::string& name : left_by_a_run) {
    ASSERT_TRUE(dir.exists(name)) << name;
    before.push_back(dir.read(name));
    // The bytes every build of the program leaves, whatever the system.
    EXPECT_TRUE(test_support::contains(
        recorded, test_support::digest_line("built_in", name, before.back()) + "\n"))
        << name;
  }
  EXPECT_EQ(dir.read("Roma_Pisa_EXPR 368.dat").size(), 102315u);

  // A second run replaces every file with the same bytes.
  const program_output second = run_copy_in(dir);
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(dir.count(), 7u);
  for (std::size_t i = 0; i < before.size(); ++i)
    EXPECT_EQ(dir.read(left_by_a_run[i]), before[i]) << left_by_a_run[i];
}

// Asked for its help or version, or given a word it does not know, the program compiles nothing
// and writes nothing next to itself.
TEST(MainProgram, ArgumentsNeverStartACompile) {
  temp_dir dir;
  const std::pair<std::vector<std::string>, int> runs[] = {
      {{"--help"}, 0}, {{"--version"}, 0}, {{"-h"}, 0}, {{"--bogus"}, 2}, {{"--help", "extra"}, 2}};
  for (const auto& [arguments, status] : runs) {
    const program_output r = run_copy_in(dir, arguments);
    EXPECT_EQ(r.status, status) << arguments[0] << ": " << r.err;
    EXPECT_EQ(r.err.find("Attendere"), std::string::npos) << arguments[0];
    EXPECT_EQ(dir.count(), 1u) << arguments[0];  // the program alone
  }
}

TEST(MainProgram, FileThatCannotBeWrittenEndsWithStatus2AndItsName) {
  temp_dir dir;
  std::filesystem::create_directory(dir.file("Roma_Pisa_EXPR 368.dat"));
  const program_output r = run_copy_in(dir);
  EXPECT_EQ(r.status, 2);
  // The program's folder as the system names it: with "\\" on Windows.
  const std::string in_the_way = test_support::path_text(
      test_support::path_of(dir.file("Roma_Pisa_EXPR 368.dat")).make_preferred());
  EXPECT_EQ(r.err, "Attendere\nroma_pisa: cannot replace \"" + in_the_way + "\": Is a directory\n");
}

}  // namespace
}  // namespace scenario
