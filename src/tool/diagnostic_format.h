// Diagnostics as text for people and editors, and as JSON.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "model/diagnostics.h"

namespace scenario {

struct source_names {
  std::string line_description;
  std::string train_scenario;
  std::string program = "scenario";
};

// "FILE:LINE: error: MESSAGE at N m [code C]"; the file and line are left out when unknown.
std::string format_diagnostic(const diagnostic& d, const source_names& names);

// The same as a JSON object, its file name and message as UTF-8 (json_text).
nlohmann::json diagnostic_json(const diagnostic& d, const source_names& names);

}  // namespace scenario
