// The main program as a user runs it: from another directory, working next to its own executable.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::temp_dir;

struct program_run {
  int status;
  std::string err;
};

// Copies the program into `dir` and runs it from the root directory with no terminal on stdin.
program_run run_copy_in(const temp_dir& dir) {
  std::filesystem::copy_file(std::string(TEST_BIN_DIR) + "/roma_pisa", dir.file("roma_pisa"),
                             std::filesystem::copy_options::overwrite_existing);
  const std::string command =
      "cd / && '" + dir.file("roma_pisa") + "' </dev/null 2>'" + dir.file("stderr.txt") + "'";
  const int raw = std::system(command.c_str());
  program_run r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, dir.read("stderr.txt")};
  std::filesystem::remove(dir.file("stderr.txt"));
  return r;
}

void write_small_data(const temp_dir& dir) {
  dir.write(
      "Roma_Pisa_linea.txt",
      "[generale]\r\nlunghezza percorso,    1000\r\n[curve]\r\ncurvas2,  100,  50\r\n[fine]\r\n");
  dir.write("Roma_Pisa_EXPR 368-.txt", "[generale]\r\nsabbia,    200\r\n[fine]\r\n");
}

TEST(MainProgram, CompilesTheDataFilesNextToItself) {
  temp_dir dir;
  write_small_data(dir);
  const program_run r = run_copy_in(dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.substr(0, 10), "Attendere\n");
  EXPECT_TRUE(dir.exists("Roma_Pisa_linea.dat"));
  EXPECT_TRUE(dir.exists("Roma_Pisa_EXPR 368.sim"));
  EXPECT_TRUE(dir.exists("Roma_Pisa_EXPR 368.dat"));
  EXPECT_FALSE(dir.exists("Roma_Pisa_linea.txt"));
  EXPECT_FALSE(dir.exists("Roma_Pisa_EXPR 368-.txt"));
}

TEST(MainProgram, FileThatCannotBeWrittenEndsWithStatus2AndItsName) {
  temp_dir dir;
  write_small_data(dir);
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
