#include "tool/diagnostic_format.h"

#include <sstream>

#include "tool/json_output.h"
#include "tool/text_encoding.h"

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

const std::string* file_text(source_file f, const source_texts& texts) {
  switch (f) {
    case source_file::line_description:
      return texts.line_description;
    case source_file::train_scenario:
      return texts.train_scenario;
    case source_file::none:
      return nullptr;
  }
  return nullptr;
}

// The colours the common compilers use.
constexpr const char* bold = "\033[1m";
constexpr const char* reset = "\033[0m";
const char* severity_colour(severity s) {
  switch (s) {
    case severity::error:
      return "\033[1;31m";
    case severity::warning:
      return "\033[1;35m";
    case severity::note:
      return "\033[1;36m";
  }
  return bold;
}
constexpr const char* caret_colour = "\033[1;32m";

std::string head(const diagnostic& d, const source_names& names, bool color) {
  std::ostringstream text;
  if (color) text << bold;
  if (const std::string* file = file_name(d.file, names)) {
    text << *file;
    if (d.line > 0) {
      text << ':' << d.line;
      if (d.column > 0) text << ':' << d.column;
    }
  } else {
    text << names.program;
  }
  text << ':';
  if (color) text << reset;
  text << ' ';
  if (color) text << severity_colour(d.sev);
  text << severity_name(d.sev) << ':';
  if (color) text << reset;
  text << ' ' << d.message << " [code " << d.code << ']';
  return text.str();
}

// Blanks that put a caret under byte `column` of `line`: tabs stay tabs, and a multi-byte
// character counts once when the line is UTF-8 (otherwise every byte is one Windows-1252
// character).
std::string caret_padding(std::string_view line, int column) {
  const bool utf8 = is_utf8(line);
  std::string pad;
  for (std::size_t i = 0; i + 1 < static_cast<std::size_t>(column) && i < line.size(); ++i) {
    const auto ch = static_cast<unsigned char>(line[i]);
    if (ch == '\t') {
      pad += '\t';
    } else if (!(utf8 && (ch & 0xC0) == 0x80)) {
      pad += ' ';
    }
  }
  return pad;
}

}  // namespace

std::optional<std::string_view> source_line(std::string_view bytes, int line) {
  if (line < 1) return std::nullopt;
  std::size_t start = 0;
  for (int n = 1; n < line; ++n) {
    const std::size_t lf = bytes.find('\n', start);
    if (lf == std::string_view::npos) return std::nullopt;
    start = lf + 1;
  }
  if (start >= bytes.size() && line > 1) return std::nullopt;
  std::size_t end = bytes.find('\n', start);
  if (end == std::string_view::npos) end = bytes.size();
  if (end > start && bytes[end - 1] == '\r' && end < bytes.size()) --end;
  return bytes.substr(start, end - start);
}

std::string format_diagnostic(const diagnostic& d, const source_names& names) {
  return head(d, names, false);
}

std::string format_diagnostic(const diagnostic& d, const source_names& names,
                              const source_texts& sources, const text_style& style) {
  std::string text = head(d, names, style.color) + '\n';
  if (!style.show_source || d.line < 1) return text;
  const std::string* bytes = file_text(d.file, sources);
  if (!bytes) return text;
  const std::optional<std::string_view> line = source_line(*bytes, d.line);
  if (!line) return text;

  const std::string number = std::to_string(d.line);
  const std::string gutter(number.size() < 4 ? 4 - number.size() : 0, ' ');
  text += gutter + number + " | " + utf8_text(*line) + '\n';
  if (d.column > 0) {
    text += std::string(gutter.size() + number.size(), ' ') + " | " +
            caret_padding(*line, d.column) + (style.color ? caret_colour : "") + '^' +
            (style.color ? reset : "") + '\n';
  }
  return text;
}

nlohmann::json diagnostic_json(const diagnostic& d, const source_names& names) {
  nlohmann::json j;
  j["code"] = d.code;
  j["position"] = d.position ? nlohmann::json(*d.position) : nlohmann::json(nullptr);
  j["severity"] = severity_name(d.sev);
  const std::string* file = file_name(d.file, names);
  j["file"] = file ? json_text(*file) : nlohmann::json(nullptr);
  j["line"] = d.line > 0 ? nlohmann::json(d.line) : nlohmann::json(nullptr);
  j["column"] = d.column > 0 ? nlohmann::json(d.column) : nlohmann::json(nullptr);
  j["message"] = json_text(d.message);
  return j;
}

}  // namespace scenario
