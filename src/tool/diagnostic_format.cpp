#include "tool/diagnostic_format.h"

#include <sstream>

#include "tool/json_output.h"

namespace scenario {

namespace {

const std::string* file_name(source_file f, const source_names& names) {
  switch (f) {
    case source_file::line_description:
      return &names.line_description;
    case source_file::train_scenario:
      return &names.train_scenario;
    case source_file::none:
      return nullptr;
  }
  return nullptr;
}

}  // namespace

std::string format_diagnostic(const diagnostic& d, const source_names& names) {
  std::ostringstream text;
  if (const std::string* file = file_name(d.file, names)) {
    text << *file;
    if (d.line > 0) text << ':' << d.line;
  } else {
    text << names.program;
  }
  text << ": " << severity_name(d.sev) << ": " << d.message;
  if (d.position) text << " at " << *d.position << " m";
  text << " [code " << d.code << ']';
  return text.str();
}

nlohmann::json diagnostic_json(const diagnostic& d, const source_names& names) {
  nlohmann::json j;
  j["code"] = d.code;
  j["position"] = d.position ? nlohmann::json(*d.position) : nlohmann::json(nullptr);
  j["severity"] = severity_name(d.sev);
  const std::string* file = file_name(d.file, names);
  j["file"] = file ? json_text(*file) : nlohmann::json(nullptr);
  j["line"] = d.line > 0 ? nlohmann::json(d.line) : nlohmann::json(nullptr);
  j["message"] = json_text(d.message);
  return j;
}

}  // namespace scenario
