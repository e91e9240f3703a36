// `scenario explain CODE|KEY|[SECTION]`: what a code means, its common causes, and a wrong and a
// corrected example; or the form of an entry of the data files, or what a section holds.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

struct explanation {
  std::string code;  // "16", "1250", "201", "exit-2"
  std::string_view title;
  std::string_view meaning;
  std::string_view causes;
  std::string_view wrong;  // a few lines of a data file, or a command
  std::string_view right;
};

// Every code the compiler, the spacing pass, the guard checks and the author checks give, and the
// tool's exit statuses.
std::vector<explanation> explanations();

// The explanation of `code` ("16", or "exit-2" for an exit status), or nullopt.
std::optional<explanation> find_explanation(std::string_view code);

// What `scenario explain CODE` prints: the title, meaning, causes and examples.
std::string explanation_text(const explanation& e);

// Every explanation in Markdown, each under an anchor "code-N" or "exit-N": docs/codes.md, to
// which the language server's diagnostics link.
std::string explanations_markdown();

// Prints the explanation of a code ("16", "exit-2"), a key ("segnale", "curvad3": every key whose
// rule the word meets, or else whose name holds it) or a section ("[segnali]"); status 2 for a
// topic that is none of them.
int run_explain(const std::string& topic, std::ostream& out, std::ostream& err);

}  // namespace scenario
