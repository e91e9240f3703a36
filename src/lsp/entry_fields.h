// What each line of a data file is to the reader: before the general section, blank, a section
// header, a separator, or an entry whose key field and values stand at known columns. Read with
// the compile's own field reader and the table of the file formats, so that hover, completion,
// signature help, symbols and the ranges of diagnostics all see a line as the compile does.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/diagnostics.h"
#include "reader/file_format.h"

namespace scenario::lsp {

// A field: its 1-based line, and the 1-based byte columns of its first character and one past its
// last.
struct field_span {
  int line = 0;
  int start = 0;
  int end = 0;
  std::string text;
};

enum class line_kind {
  before_general,  // up to the line that holds "[generale]", which the reader passes over
  blank,
  header,     // a section header
  separator,  // a key field holding "-"
  unknown,    // a key field that matches no key where it stands
  entry,
};

struct line_entry {
  line_kind kind = line_kind::blank;
  key_region region = key_region::entries;
  field_span key;                            // the key field, when one was read
  std::vector<const key_format*> keys;       // the keys it meets, in the reader's order
  std::vector<const value_format*> formats;  // the values they take together, in file order
  // The values as the compile reads them, in the order of `formats`; when the line holds too few,
  // the rest comes from the lines after it, and a reading that fails ends the list.
  std::vector<field_span> values;
};

class file_layout {
 public:
  // `bytes` must outlive the layout.
  file_layout(source_file file, std::string_view bytes);

  source_file file() const { return file_; }
  int line_count() const { return static_cast<int>(starts_.size()); }
  std::string_view line(int n) const;  // 1-based, without its line end
  // The line that holds "[generale]", 0 when none does.
  int general_line() const { return general_line_; }
  // The region whose keys the reader tests on line `n`.
  key_region region_at(int n) const;
  line_entry entry(int n) const;
  // The header of the section line `n` stands under (at or above it), empty when none.
  std::string section_at(int n) const;

 private:
  std::string key_text(int n) const;

  source_file file_;
  std::string_view bytes_;
  std::vector<std::size_t> starts_;
  int general_line_ = 0;
  int entries_line_ = 0;  // the line description's header that ends the general section
};

}  // namespace scenario::lsp
