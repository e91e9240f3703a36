// `scenario export`: writes the program's built-in text files, so that an author can start a new
// scenario from them.
#pragma once

#include <ostream>
#include <string>

namespace scenario {

struct export_options {
  std::string output_dir = ".";
  bool force = false;  // replace files that already exist
};

// Writes the two data files and the three documents into the output directory (created when
// missing). Without `force` it refuses, before writing anything, when one of them already exists,
// so an author's edited copy is never lost. `out` lists the files written; `err` gets the errors.
// Returns the exit status.
int run_export(const export_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario
