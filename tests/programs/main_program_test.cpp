// The main program as a user runs it: from another directory, working next to its own executable.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/paths.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::temp_dir;

using test_support::program_output;

// Copies the program into `dir` and runs it from the root directory with no terminal on stdin.
program_output run_copy_in(const temp_dir& dir) {
  std::filesystem::copy_file(test_support::built_program("roma_pisa"), dir.file("roma_pisa"),
                             std::filesystem::copy_options::overwrite_existing);
  return test_support::run_program(dir.file("roma_pisa"), {}, {"/", {}});
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
  const program_output first = run_copy_in(dir);
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
  const program_output second = run_copy_in(dir);
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(dir.count(), 7u);
  for (std::size_t i = 0; i < before.size(); ++i)
    EXPECT_EQ(dir.read(left_by_a_run[i]), before[i]) << left_by_a_run[i];
}

TEST(MainProgram, FileThatCannotBeWrittenEndsWithStatus2AndItsName) {
  temp_dir dir;
  std::filesystem::create_directory(dir.file("Roma_Pisa_EXPR 368.dat"));
  const program_output r = run_copy_in(dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Attendere\nroma_pisa: cannot replace \"" + dir.file("Roma_Pisa_EXPR 368.dat") +
                       "\": Is a directory\n");
}

}  // namespace
}  // namespace scenario
