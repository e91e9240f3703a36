#include "lsp/completion.h"

#include "reader/entry_scan.h"
#include "tool/format_reference.h"

namespace scenario::lsp {

namespace {

// The protocol's kinds of completion item.
constexpr int keyword_item = 14;
constexpr int module_item = 9;
constexpr int plain_text = 1;
constexpr int snippet_text = 2;

std::string placeholders(const key_format& key, std::string_view spelling) {
  std::string text(spelling);
  int n = 0;
  for (const value_format& v : key.values)
    text += ", ${" + std::to_string(++n) + ":" + std::string(v.name) + "}";
  return text;
}

}  // namespace

nlohmann::json completion(const document_context& c, const text_position& p, bool snippets) {
  nlohmann::json items = nlohmann::json::array();
  const source_point at = c.text.point_of(p, c.encoding);
  const file_layout& layout = c.text.layout();
  const std::string_view line = layout.line(at.line);
  const std::string_view before =
      line.substr(0, std::min<std::size_t>(line.size(), static_cast<std::size_t>(at.column - 1)));
  // Only the key field is completed: a comma before the cursor puts it among the values.
  if (before.find(',') != std::string_view::npos) return items;
  const std::size_t first = before.find_first_not_of(" \t");
  const int start = static_cast<int>(first == std::string_view::npos ? before.size() : first) + 1;
  // The key field, up to its comma when the line goes on past the cursor.
  const std::size_t comma = line.find(',', before.size());
  int end = comma == std::string_view::npos ? static_cast<int>(line.size()) + 1
                                            : static_cast<int>(comma) + 1;
  while (end > at.column && (line[static_cast<std::size_t>(end - 2)] == ' ' ||
                             line[static_cast<std::size_t>(end - 2)] == '\t'))
    --end;
  const text_range range = c.text.range_of(at.line, start, std::max(end, at.column), c.encoding);
  const bool goes_on = comma != std::string_view::npos;

  auto add_header = [&](const section_format& s) {
    items.push_back({{"label", s.header},
                     {"kind", module_item},
                     {"detail", "section"},
                     {"documentation", s.meaning},
                     {"filterText", s.header},
                     {"textEdit", {{"range", range_json(range)}, {"newText", s.header}}}});
  };
  const bool in_general = layout.general_line() != 0 && at.line > layout.general_line();
  if (!in_general) {
    // Before the general section only its header is read.
    for (const section_format& s : format_of(c.text.role()).sections)
      if (s.header == "[generale]") add_header(s);
    return items;
  }
  if (first != std::string_view::npos && before[first] == '[') {
    for (const section_format& s : format_of(c.text.role()).sections)
      if (s.header != "[generale]") add_header(s);
    return items;
  }
  const key_region region = layout.region_at(at.line);
  const std::string section = layout.section_at(at.line);
  for (const key_format& k : all_keys()) {
    if (k.file != c.text.role() || k.region != region) continue;
    const bool of_section = lower(section) == k.section;
    for (std::string_view spelling : spellings(k)) {
      nlohmann::json item = {{"label", spelling},
                             {"kind", keyword_item},
                             {"detail", entry_form(k)},
                             {"documentation", k.meaning},
                             {"filterText", spelling},
                             {"sortText", (of_section ? "0 " : "1 ") + std::string(spelling)}};
      std::string text(spelling);
      int format = plain_text;
      if (!goes_on) {
        if (snippets && !k.values.empty()) {
          text = placeholders(k, spelling);
          format = snippet_text;
        } else {
          text += ", ";
        }
      }
      item["insertTextFormat"] = format;
      item["textEdit"] = {{"range", range_json(range)}, {"newText", text}};
      items.push_back(std::move(item));
    }
  }
  // In the general section, a header ends it.
  if (region == key_region::general)
    for (const section_format& s : format_of(c.text.role()).sections)
      if (s.header != "[generale]") add_header(s);
  return items;
}

}  // namespace scenario::lsp
