// Diagnostics as text for people and editors, and as JSON.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "model/diagnostics.h"

namespace scenario {

struct source_names {
  std::string line_description;
  std::string train_scenario;
  std::string program = "scenario";
};

// The bytes of the two files, to quote the line at fault; null when not at hand.
struct source_texts {
  const std::string* line_description = nullptr;
  const std::string* train_scenario = nullptr;
};

struct text_style {
  bool show_source = true;  // the source line and a caret under the field at fault
  bool color = false;       // ANSI colours
};

// "FILE:LINE:COL: error: MESSAGE [code C]"; the column, or the line and the column, are left out
// when unknown, and the program's name stands for the file when the fault has none. One line.
std::string format_diagnostic(const diagnostic& d, const source_names& names);

// The same line, then (when the file is at hand and the style asks for it) the source line and a
// caret under the column, as the common C compilers print them. Ends with a newline.
std::string format_diagnostic(const diagnostic& d, const source_names& names,
                              const source_texts& sources, const text_style& style);

// The text of line `line` (1-based) of `bytes`, without its line end; nullopt past the last.
std::optional<std::string_view> source_line(std::string_view bytes, int line);

// The same as a JSON object, its file name and message as UTF-8 (json_text).
nlohmann::json diagnostic_json(const diagnostic& d, const source_names& names);

}  // namespace scenario
