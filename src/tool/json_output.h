// The tool's JSON documents. The model's texts and the paths are bytes (Windows-1252 outside ASCII
// in the data files), while JSON must be UTF-8: every string goes in through json_text.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace scenario {

// A JSON string holding `bytes` as UTF-8 (see utf8_text).
nlohmann::json json_text(std::string_view bytes);

// The document as indented text with a final newline. Never throws on text: a string that did not
// come through json_text has its bad bytes replaced rather than ending the run without a report.
// Characters XML forbids are replaced in every string too (without_forbidden_characters), so the
// document suits any reader, and a name means the same in it as in an SVG.
std::string json_document(nlohmann::json doc);

}  // namespace scenario
