// `scenario compile`: compiles a pair of data files given by their paths, with diagnostics for
// people on one stream and, on request, one JSON document on the other.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "driver/exit_status.h"

namespace scenario {

struct compile_options {
  std::string line_path;
  std::string train_path;
  std::string output_dir = ".";
  std::optional<std::string> route;
  std::optional<std::string> train;
  bool no_geometry = false;
  bool force = false;
  bool json = false;
};

// Runs the command. `out` receives the JSON document (with --json) and nothing else; `err` receives
// everything meant for people. Returns the exit status. The input files are only read.
int run_compile(const compile_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario
