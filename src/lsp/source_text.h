// A data file held two ways at once: the Windows-1252 bytes the compile reads, and the UTF-8 text
// the editor shows. Each character of the one is one byte of the other, so a byte column of a
// diagnostic is a character column of the editor's line; the protocol's position then counts the
// units of its encoding up to that character.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/entry_fields.h"
#include "lsp/text_positions.h"
#include "model/diagnostics.h"

namespace scenario::lsp {

// A character of the editor's text that Windows-1252 has no form for; the compile reads "?" there.
struct unconvertible {
  int line = 0;               // 1-based
  std::size_t character = 0;  // 0-based, in code points
  char32_t code_point = 0;
};

class source_text {
 public:
  // The text of an open document, as the editor holds it.
  static std::shared_ptr<const source_text> from_editor(source_file role, std::string_view utf8);
  // A file read from the disk, as its bytes stand.
  static std::shared_ptr<const source_text> from_disk(source_file role, std::string bytes);

  source_text(const source_text&) = delete;
  source_text& operator=(const source_text&) = delete;

  source_file role() const { return role_; }
  const std::string& bytes() const { return bytes_; }
  const std::string& shown() const { return shown_; }
  const std::vector<unconvertible>& unconverted() const { return unconverted_; }
  // The editor's text begins with a byte order mark character (U+FEFF) of its own.
  bool shows_byte_order_mark() const { return shows_mark_; }
  // The entries, fields and sections of the bytes.
  const file_layout& layout() const { return layout_; }

  // The protocol position of a 1-based line and 1-based byte column of the bytes (column 0: the
  // line's start); beyond the text, its end.
  text_position position_of(int line, int column, position_encoding e) const;
  // The 1-based line and byte column of a protocol position, within the text.
  source_point point_of(const text_position& p, position_encoding e) const;
  // The protocol range of bytes [start, end) of a line (1-based columns).
  text_range range_of(int line, int start, int end, position_encoding e) const;

  std::string_view shown_line(int line) const;  // 1-based, without its line end

 private:
  source_text(source_file role, std::string bytes, std::string shown, int mark_bytes,
              bool shows_mark, std::vector<unconvertible> unconverted);

  source_file role_;
  std::string bytes_;
  std::string shown_;
  // Bytes at the start of the first line that stand before the editor's first character: a byte
  // order mark the editor does not show (3), or shows as one character (2).
  int mark_bytes_ = 0;
  bool shows_mark_ = false;
  std::vector<unconvertible> unconverted_;
  line_index shown_lines_;
  file_layout layout_;
};

}  // namespace scenario::lsp
