// `scenario dump`: one compiled file in words or as one JSON document.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

namespace scenario {

struct dump_options {
  std::string path;                 // "-": standard input, with `kind`
  std::optional<std::string> kind;  // "cells", "scenario" or "geometry"; else from the file name
  bool json = false;
  bool all = false;  // every cell, every record, every point
  long step = 1000;  // metres between the geometry points listed
  // The same output for the same bytes wherever the file lies, for version control to compare:
  // no path in the heading, and nothing taken from the files beside it.
  bool textconv = false;
};

// `out` receives the dump, `err` the messages for people. Returns the exit status: 0, or 2 for a
// usage error or a file that cannot be read or decoded (with --json, `out` then receives
// dump_failure_document).
int run_dump(const dump_options& options, std::ostream& out, std::ostream& err);

// The JSON document of a dump that failed: the file (null when none was named), the error message
// and the exit status.
nlohmann::json dump_failure_document(const std::string& path, const std::string& message);

}  // namespace scenario
