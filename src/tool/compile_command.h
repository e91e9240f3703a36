// `scenario compile`: compiles a pair of data files given by their paths, with diagnostics for
// people on one stream and, on request, one JSON document on the other.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "compiler/exit_status.h"

namespace scenario {

enum class color_mode { automatic, always, never };

struct compile_options {
  std::string line_path;
  std::string train_path;
  std::string output_dir = ".";
  std::optional<std::string> route;
  std::optional<std::string> train;
  bool no_geometry = false;
  bool force = false;
  bool json = false;
  bool no_source = false;                    // diagnostics without the source line and caret
  color_mode color = color_mode::automatic;  // automatic: colours when `terminal`
  bool terminal = false;  // the diagnostics stream is a terminal that takes colours
  std::string input_encoding = "windows-1252";  // or "utf-8": converted before compiling
  bool quiet = false;                           // no closing summary line
};

// `scenario check`: the compile in memory, nothing written, with the author checks.
struct check_options {
  compile_options compile;
  bool werror = false;  // warnings make the status 1
};

// Runs the command. `out` receives the JSON document (with --json) and nothing else; `err` receives
// everything meant for people, closed by a summary line unless `quiet` (what was written, or how
// many warnings check adds to the compile's own). Returns the exit status. The input files are
// only read.
int run_compile(const compile_options& options, std::ostream& out, std::ostream& err);

// Runs `scenario check`: the same statuses as `compile`, and 1 for a warning under --werror.
int run_check(const check_options& options, std::ostream& out, std::ostream& err);

// The JSON document of a compile or check refused before it began (status 2, nothing read).
nlohmann::json compile_failure_document(const std::string& message);

}  // namespace scenario
