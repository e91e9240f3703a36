#include "reader/entry_scan.h"

namespace scenario {

bool contains(std::string_view s, std::string_view word) {
  return s.find(word) != std::string_view::npos;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& ch : out)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return out;
}

bool find_section(field_reader& fields, std::string_view header) {
  for (;;) {
    const std::string field = fields.read_text();
    if (fields.at_end()) return false;
    if (contains(lower(field), header)) return true;
  }
}

std::optional<std::string> next_key(field_reader& fields, int separators, separator_end end) {
  if (fields.at_end()) return std::nullopt;
  std::string key = fields.read_text();
  if (fields.at_end()) return std::nullopt;
  for (int i = 0; i < separators && contains(key, "-"); ++i) {
    key = fields.read_text();
    if (end == separator_end::tested && fields.at_end()) return std::nullopt;
  }
  return key;
}

}  // namespace scenario
