// Runs a built program with its arguments passed as they are (no shell, so any bytes get through)
// and collects what it prints on each stream. The standard input is empty unless a file is given.
#pragma once

#include <string>
#include <vector>

namespace scenario::test_support {

struct program_output {
  int status = -1;  // exit status; 128 + the signal when one ended it; -1 when it could not run
  std::string out;
  std::string err;
};

struct run_options {
  std::string working_dir = {};               // empty: the test's own
  std::vector<std::string> environment = {};  // NAME=value, added to the test's or replacing it
  std::string input_path = {};                // the standard input's file; empty: none
};

program_output run_program(const std::string& path, const std::vector<std::string>& args,
                           const run_options& options = {});

}  // namespace scenario::test_support
