#include "lsp/definition.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "model/diagnostics.h"

namespace scenario::lsp {

namespace {

struct target {
  source_file file;
  int line;
};

// The number written at `at` in `text`, and where it ends; nullopt when no digit stands there.
std::optional<std::pair<int, std::size_t>> number_at(const std::string& text, std::size_t at) {
  std::size_t end = at;
  int value = 0;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9' && end - at < 9)
    value = value * 10 + (text[end++] - '0');
  if (end == at) return std::nullopt;
  return std::make_pair(value, end);
}

// The lines a message names: "placed by line N of the line description|train scenario", and
// "(line N)" for a line of the diagnostic's own file.
std::vector<target> targets_in(const std::string& message, source_file own) {
  std::vector<target> out;
  constexpr std::string_view placed = "placed by line ";
  for (std::size_t at = message.find(placed); at != std::string::npos;
       at = message.find(placed, at + 1)) {
    const auto number = number_at(message, at + placed.size());
    if (!number) continue;
    const std::string_view rest = std::string_view(message).substr(number->second);
    if (rest.starts_with(" of the line description"))
      out.push_back({source_file::line_description, number->first});
    else if (rest.starts_with(" of the train scenario"))
      out.push_back({source_file::train_scenario, number->first});
  }
  constexpr std::string_view same = "(line ";
  for (std::size_t at = message.find(same); at != std::string::npos;
       at = message.find(same, at + 1)) {
    const auto number = number_at(message, at + same.size());
    if (number && number->second < message.size() && message[number->second] == ')')
      out.push_back({own, number->first});
  }
  return out;
}

// The entry's position field on that line, as the compile read it; else the line's start.
text_range target_range(const analysis& pair, const analysed_file& file, int line,
                        position_encoding e) {
  if (pair.model) {
    for (const read_entry& r : pair.model->entries_read) {
      if (r.file != file.role || r.at.line != line) continue;
      const line_entry entry = file.text->layout().entry(line);
      for (const field_span& v : entry.values)
        if (v.line == line && v.start == r.at.column)
          return file.text->range_of(line, v.start, v.end, e);
    }
  }
  return file.text->range_of(line, 1, 1, e);
}

}  // namespace

nlohmann::json definition(const document_context& c, const text_position& p) {
  if (!c.pair || !c.file) return nullptr;
  nlohmann::json locations = nlohmann::json::array();
  for (const placed_diagnostic& d : c.file->diagnostics) {
    if (!d.range.contains(p)) continue;
    for (const target& t : targets_in(d.what.message, c.file->role)) {
      const analysed_file* file = c.pair->file(t.file);
      if (!file || !file->text || t.line < 1 || t.line > file->text->layout().line_count())
        continue;
      const nlohmann::json location = {
          {"uri", file->uri},
          {"range", range_json(target_range(*c.pair, *file, t.line, c.encoding))}};
      if (std::find(locations.begin(), locations.end(), location) == locations.end())
        locations.push_back(location);
    }
  }
  if (locations.empty()) return nullptr;
  return locations;
}

}  // namespace scenario::lsp
