#include "lsp/text_positions.h"

#include <algorithm>

namespace scenario::lsp {

namespace {

// The length of the UTF-8 character led by `lead`; a byte that leads none counts as one, so that
// any bytes can be walked.
std::size_t char_length(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return lead < 0xF8 ? 4 : 1;
}

// The units one character of `length` bytes takes: a character outside the Basic Multilingual
// Plane (four bytes) is two UTF-16 code units.
std::size_t units_of(std::size_t length, position_encoding e) {
  if (e == position_encoding::utf8) return length;
  return length == 4 ? 2 : 1;
}

}  // namespace

const char* encoding_name(position_encoding e) {
  return e == position_encoding::utf8 ? "utf-8" : "utf-16";
}

nlohmann::json position_json(const text_position& p) {
  return {{"line", p.line}, {"character", p.character}};
}

nlohmann::json range_json(const text_range& r) {
  return {{"start", position_json(r.start)}, {"end", position_json(r.end)}};
}

line_index::line_index(std::string_view text) {
  starts_.push_back(0);
  for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1))
    starts_.push_back(i + 1);
}

std::size_t line_index::start(std::size_t i) const {
  return i < starts_.size() ? starts_[i] : std::string_view::npos;
}

std::string_view line_index::line(std::string_view text, std::size_t i) const {
  if (i >= starts_.size()) return {};
  const std::size_t begin = std::min(starts_[i], text.size());
  std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] - 1 : text.size();
  end = std::max(begin, std::min(end, text.size()));
  std::string_view line = text.substr(begin, end - begin);
  if (i + 1 < starts_.size() && !line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::size_t units_before(std::string_view line, std::size_t chars, position_encoding e) {
  std::size_t units = 0;
  for (std::size_t i = 0, n = 0; i < line.size() && n < chars; ++n) {
    const std::size_t length =
        std::min(char_length(static_cast<unsigned char>(line[i])), line.size() - i);
    units += units_of(length, e);
    i += length;
  }
  return units;
}

std::size_t chars_before(std::string_view line, std::size_t units, position_encoding e) {
  std::size_t chars = 0;
  for (std::size_t i = 0, used = 0; i < line.size();) {
    const std::size_t length =
        std::min(char_length(static_cast<unsigned char>(line[i])), line.size() - i);
    used += units_of(length, e);
    if (used > units) break;
    ++chars;
    i += length;
  }
  return chars;
}

std::size_t byte_in_line(std::string_view line, std::size_t units, position_encoding e) {
  std::size_t i = 0;
  for (std::size_t used = 0; i < line.size();) {
    const std::size_t length =
        std::min(char_length(static_cast<unsigned char>(line[i])), line.size() - i);
    used += units_of(length, e);
    if (used > units) break;
    i += length;
  }
  return i;
}

std::size_t byte_offset(std::string_view text, const line_index& lines, const text_position& p,
                        position_encoding e) {
  if (p.line < 0) return 0;
  const auto line = static_cast<std::size_t>(p.line);
  if (line >= lines.size()) return text.size();
  const std::size_t units = p.character < 0 ? 0 : static_cast<std::size_t>(p.character);
  return lines.start(line) + byte_in_line(lines.line(text, line), units, e);
}

}  // namespace scenario::lsp
