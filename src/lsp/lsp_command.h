// `scenario lsp`: the language server on standard input and output, for editors.
#pragma once

#include <ostream>
#include <string>

namespace scenario {

struct lsp_settings {
  std::string version;     // of the program
  std::string doc_folder;  // where the documents are installed, relative to the prefix
};

// Serves the client on standard input, answering on `out`, until it says exit or the input ends;
// `err` gets a line when the input ends before the client shut the server down, or cannot be read.
// Returns the exit status: 0 after a shutdown, 1 without one, 2 when the input cannot be read.
int run_lsp(const lsp_settings& settings, std::ostream& out, std::ostream& err);

}  // namespace scenario
