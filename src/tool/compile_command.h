// `scenario compile`: compiles a pair of data files given by their paths, with diagnostics for
// people on one stream and, on request, one JSON document on the other.
#pragma once

#include <optional>
#include <ostream>
#include <string>

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

// Exit statuses of the tool.
inline constexpr int tool_ok = 0;
inline constexpr int tool_reader_fault = 1;
inline constexpr int tool_usage_or_file_error = 2;
inline constexpr int tool_guard_failed = 3;

// The route name from "<route>_linea.txt" and the train name from "<route>_<train>-.txt"
// (directories ignored); nullopt when a name does not follow that form.
std::optional<std::string> route_from_line_file(const std::string& path);
std::optional<std::string> train_from_train_file(const std::string& path, const std::string& route);

// Runs the command. `out` receives the JSON document (with --json) and nothing else; `err` receives
// everything meant for people. Returns the exit status. The input files are only read.
int run_compile(const compile_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario
