#include "lsp/code_actions.h"

#include <optional>

#include "model/fault_codes.h"
#include "tool/author_checks.h"
#include "tool/text_encoding.h"

namespace scenario::lsp {

namespace {

struct fix {
  std::string title;
  text_range range;
  std::string new_text;
};

bool has(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool is_digit(char ch) {
  return ch >= '0' && ch <= '9';
}

// The misspelt key replaced by the key it is nearest to.
std::optional<fix> key_fix(const document_context& c, const placed_diagnostic& d) {
  const line_entry e = c.text.layout().entry(d.what.line);
  if (e.key.start != d.what.column || e.key.text.empty()) return std::nullopt;
  const std::string key = nearest_key(c.text.role(), e.key.text, e.region == key_region::general);
  if (key.empty()) return std::nullopt;
  return fix{"Change '" + utf8_from_cp1252(e.key.text) + "' to '" + key + "'",
             field_range(c, e.key), key};
}

// "-4,5" written "-4.5": the comma after the whole part becomes a point.
std::optional<fix> comma_fix(const document_context& c, const placed_diagnostic& d) {
  const std::string_view line = c.text.layout().line(d.what.line);
  if (d.what.column < 1) return std::nullopt;
  std::size_t i = static_cast<std::size_t>(d.what.column - 1);
  const std::size_t start = i;
  if (i < line.size() && (line[i] == '-' || line[i] == '+')) ++i;
  while (i < line.size() && is_digit(line[i])) ++i;
  if (i >= line.size() || line[i] != ',' || i + 1 >= line.size() || !is_digit(line[i + 1]))
    return std::nullopt;
  std::size_t end = i + 1;
  while (end < line.size() && is_digit(line[end])) ++end;
  const std::string whole(line.substr(start, i - start));
  const std::string fraction(line.substr(i + 1, end - i - 1));
  const int comma = static_cast<int>(i) + 1;
  return fix{"Write " + whole + "," + fraction + " as " + whole + "." + fraction,
             c.text.range_of(d.what.line, comma, comma + 1, c.encoding), "."};
}

// The values the line lacks, each given its place (a number as 0) at the end of the line, so that
// the compile no longer takes them from the next line.
std::optional<fix> missing_fix(const document_context& c, const placed_diagnostic& d) {
  const line_entry e = c.text.layout().entry(d.what.line);
  if (e.kind != line_kind::entry) return std::nullopt;
  std::size_t on_line = 0;
  while (on_line < e.values.size() && e.values[on_line].line == d.what.line) ++on_line;
  if (on_line >= e.formats.size()) return std::nullopt;
  std::string text;
  std::string names;
  for (std::size_t i = on_line; i < e.formats.size(); ++i) {
    const value_format& v = *e.formats[i];
    text += v.read == read_as::text ? ", " : ", 0";
    names += (names.empty()               ? ""
              : i + 1 == e.formats.size() ? " and "
                                          : ", ") +
             std::string(v.name);
  }
  const std::string_view line = c.text.layout().line(d.what.line);
  const std::size_t last = line.find_last_not_of(" \t");
  const int end = last == std::string_view::npos ? 1 : static_cast<int>(last) + 2;
  const bool several = e.formats.size() - on_line > 1;
  return fix{"Give the missing value" + std::string(several ? "s " : " ") + names + " a place" +
                 (text.find('0') != std::string::npos ? " (numbers as 0)" : ""),
             c.text.range_of(d.what.line, end, end, c.encoding), text};
}

// The editor's byte order mark character removed.
std::optional<fix> mark_fix(const document_context& c) {
  if (!c.text.shows_byte_order_mark()) return std::nullopt;
  const auto units = static_cast<std::int64_t>(units_before(c.text.shown_line(1), 1, c.encoding));
  return fix{"Remove the byte order mark", {{0, 0}, {0, units}}, ""};
}

std::optional<fix> fix_for(const document_context& c, const placed_diagnostic& d) {
  const std::string& message = d.what.message;
  switch (d.what.code) {
    case fault_code::unknown_key:
      if (has(message, "did you mean")) return key_fix(c, d);
      return std::nullopt;
    case fault_code::stray_value:
    case fault_code::value_count:
      if (has(message, "decimal comma")) return comma_fix(c, d);
      if (d.what.code == fault_code::value_count && !has(message, "passes over"))
        return missing_fix(c, d);
      return std::nullopt;
    case fault_code::looks_like_utf8:
      if (has(message, "byte order mark")) return mark_fix(c);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

bool touches(const text_range& a, const text_range& b) {
  return !(a.end < b.start || b.end < a.start);
}

}  // namespace

nlohmann::json code_actions(const document_context& c, const text_range& range) {
  nlohmann::json actions = nlohmann::json::array();
  if (!c.file) return actions;
  for (const placed_diagnostic& d : c.file->diagnostics) {
    if (!touches(d.range, range)) continue;
    const std::optional<fix> f = fix_for(c, d);
    if (!f) continue;
    nlohmann::json edit = {{"range", range_json(f->range)}, {"newText", f->new_text}};
    actions.push_back({{"title", f->title},
                       {"kind", "quickfix"},
                       {"isPreferred", true},
                       {"diagnostics", nlohmann::json::array({diagnostic_json(d, c.explanations)})},
                       {"edit", {{"changes", {{c.uri, nlohmann::json::array({edit})}}}}}});
  }
  return actions;
}

}  // namespace scenario::lsp
