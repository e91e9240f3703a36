// Positions as the protocol counts them: 0-based lines and, within a line, units of the position
// encoding agreed at initialization (UTF-16 code units unless the client offers UTF-8 bytes). The
// server's texts are UTF-8; these convert between the protocol's units, code points and bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string_view>
#include <vector>

namespace scenario::lsp {

enum class position_encoding { utf16, utf8 };

// "utf-16" or "utf-8", as the protocol names them.
const char* encoding_name(position_encoding e);

struct text_position {
  std::int64_t line = 0;
  std::int64_t character = 0;

  friend bool operator==(const text_position&, const text_position&) = default;
  friend auto operator<=>(const text_position&, const text_position&) = default;
};

struct text_range {
  text_position start;
  text_position end;

  friend bool operator==(const text_range&, const text_range&) = default;
  bool contains(const text_position& p) const { return start <= p && p <= end; }
};

nlohmann::json position_json(const text_position& p);
nlohmann::json range_json(const text_range& r);

// The lines of a text, split at "\n" as the data files' reader splits them; a line's text leaves
// out its "\n" and a "\r" before it. A text always has at least one line.
class line_index {
 public:
  explicit line_index(std::string_view text);

  std::size_t size() const { return starts_.size(); }
  // Where line `i` (0-based) starts in the text, and its text without its line end; past the last
  // line, the end of the text and an empty line.
  std::size_t start(std::size_t i) const;
  std::string_view line(std::string_view text, std::size_t i) const;

 private:
  std::vector<std::size_t> starts_;
};

// The units of `e` that the first `chars` code points of `line` take (all of it when shorter).
std::size_t units_before(std::string_view line, std::size_t chars, position_encoding e);

// The code points of `line` that lie before unit `units` of `e`; a unit inside a character
// counts that character as not before it. Past the end: every code point.
std::size_t chars_before(std::string_view line, std::size_t units, position_encoding e);

// The byte offset in `line` of unit `units` of `e`, on a character's start and at most the line's
// length.
std::size_t byte_in_line(std::string_view line, std::size_t units, position_encoding e);

// The byte offset in `text` of a protocol position: a line past the last is the end of the text,
// a character past the line's end is the line's end.
std::size_t byte_offset(std::string_view text, const line_index& lines, const text_position& p,
                        position_encoding e);

}  // namespace scenario::lsp
