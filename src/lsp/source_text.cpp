#include "lsp/source_text.h"

#include <algorithm>

#include "tool/text_encoding.h"

namespace scenario::lsp {

namespace {

constexpr char32_t byte_order_mark_character = 0xFEFF;

// The code point of the UTF-8 character at `i` and its length; a byte that leads none is itself.
std::pair<char32_t, std::size_t> decode_at(std::string_view s, std::size_t i) {
  const std::size_t length = utf8_sequence_at(s, i);
  if (length == 0) return {static_cast<unsigned char>(s[i]), 1};
  return {utf8_code_point(s, i, length), length};
}

}  // namespace

source_text::source_text(source_file role, std::string bytes, std::string shown, int mark_bytes,
                         bool shows_mark, std::vector<unconvertible> unconverted)
    : role_(role),
      bytes_(std::move(bytes)),
      shown_(std::move(shown)),
      mark_bytes_(mark_bytes),
      shows_mark_(shows_mark),
      unconverted_(std::move(unconverted)),
      shown_lines_(shown_),
      layout_(role, bytes_) {}

std::shared_ptr<const source_text> source_text::from_editor(source_file role,
                                                            std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  std::vector<unconvertible> unconverted;
  int line = 1;
  std::size_t character = 0;
  bool shows_mark = false;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto [cp, length] = decode_at(utf8, i);
    if (i == 0 && cp == byte_order_mark_character) {
      // The mark as a file saved with it holds it: the compile passes over it, and check tells.
      bytes += byte_order_mark;
      shows_mark = true;
    } else if (cp >= 0x80 && cp <= 0x9F) {
      // An editor that read the file as Latin-1 shows its bytes 0x80 to 0x9F as these characters
      // and writes them back as the same bytes.
      bytes.push_back(static_cast<char>(cp));
    } else if (const std::optional<char> byte = cp1252_byte(cp)) {
      bytes.push_back(*byte);
    } else {
      bytes.push_back('?');
      unconverted.push_back({line, character, cp});
    }
    ++character;
    if (cp == '\n') {
      ++line;
      character = 0;
    }
    i += length;
  }
  return std::shared_ptr<const source_text>(new source_text(role, std::move(bytes),
                                                            std::string(utf8), shows_mark ? 2 : 0,
                                                            shows_mark, std::move(unconverted)));
}

std::shared_ptr<const source_text> source_text::from_disk(source_file role, std::string bytes) {
  // An editor does not show a file's byte order mark.
  const int mark = has_byte_order_mark(bytes) ? static_cast<int>(byte_order_mark.size()) : 0;
  std::string shown =
      utf8_from_cp1252(std::string_view(bytes).substr(static_cast<std::size_t>(mark)));
  return std::shared_ptr<const source_text>(
      new source_text(role, std::move(bytes), std::move(shown), mark, false, {}));
}

std::string_view source_text::shown_line(int line) const {
  if (line < 1) return {};
  return shown_lines_.line(shown_, static_cast<std::size_t>(line - 1));
}

text_position source_text::position_of(int line, int column, position_encoding e) const {
  if (line < 1) return {0, 0};
  if (static_cast<std::size_t>(line) > shown_lines_.size()) {
    const auto last = static_cast<int>(shown_lines_.size());
    const std::string_view text = shown_line(last);
    return {last - 1, static_cast<std::int64_t>(units_before(text, text.size(), e))};
  }
  std::int64_t character = column > 0 ? column - 1 : 0;
  if (line == 1) character = std::max<std::int64_t>(0, character - mark_bytes_);
  return {line - 1, static_cast<std::int64_t>(
                        units_before(shown_line(line), static_cast<std::size_t>(character), e))};
}

source_point source_text::point_of(const text_position& p, position_encoding e) const {
  const auto lines = static_cast<std::int64_t>(shown_lines_.size());
  const std::int64_t line = std::clamp<std::int64_t>(p.line, 0, lines - 1) + 1;
  const std::string_view text = shown_line(static_cast<int>(line));
  const std::size_t units = p.line >= lines
                                ? text.size() * 2
                                : static_cast<std::size_t>(std::max<std::int64_t>(p.character, 0));
  std::size_t character = chars_before(text, units, e);
  if (line == 1) character += static_cast<std::size_t>(mark_bytes_);
  return {static_cast<int>(line), static_cast<int>(std::min<std::size_t>(character, 1u << 30)) + 1};
}

text_range source_text::range_of(int line, int start, int end, position_encoding e) const {
  return {position_of(line, start, e), position_of(line, std::max(start, end), e)};
}

}  // namespace scenario::lsp
