// What the two readers share above the field reader: finding the first section, reading a key
// field past its separator fields, matching keys, and filling a run of cells from a cursor.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "model/numeric.h"
#include "reader/field_reader.h"

namespace scenario {

// Whether `word` stands anywhere in `s`. Every entry's key is tested against a dozen words, so
// this runs inline over the few bytes of a key.
inline bool contains(std::string_view s, std::string_view word) {
  if (word.empty()) return true;
  if (word.size() > s.size()) return false;
  const std::size_t last = s.size() - word.size();
  for (std::size_t i = 0; i <= last; ++i)
    if (s[i] == word[0] && s.substr(i, word.size()) == word) return true;
  return false;
}

// ASCII lower case; other bytes stay as they are.
std::string lower(std::string_view s);

// Reads fields until one holds `header` (letter case ignored). At least one field is read, and the
// end of the file is tested after each read, before the comparison: false when the file ends first.
bool find_section(field_reader& fields, std::string_view header);

// Whether the end of the file is tested after each separator field passed over.
enum class separator_end { tested, not_tested };

// Reads the next key field, passing over up to `separators` fields that contain "-" (only key
// fields are tested, so negative values still read as values). nullopt when the file has ended
// after the key field, or after a separator when `end` says so: the last field of a file is never
// acted on.
std::optional<std::string> next_key(field_reader& fields, int separators, separator_end end);

// A key field, matched by substring. Most keys match ignoring letter case; the general keys of the
// line description other than the route length match with exact case, because that is how the
// simulator's files have always been read: a "Progressiva ..." line that was passed over must not
// start to count.
class key_field {
 public:
  explicit key_field(std::string text) : text_(std::move(text)), folded_(lower(text_)) {}
  const std::string& text() const { return text_; }
  // `word` in lower case.
  bool has(std::string_view word) const { return contains(folded_, word); }
  bool has_exact(std::string_view word) const { return contains(text_, word); }

 private:
  std::string text_;
  std::string folded_;
};

// How the reading goes on after one entry.
enum class reading_flow {
  go_on,
  end_entries,  // the end of the file, or code 15: the end steps of the file still run
  stop,         // a refused entry: nothing more is read
};

// Records a refusal against the field at fault. Code 15 ends the entries through the end steps of
// the file; any other code stops the reading. Reading on after a refusal, every code goes on, and
// a full table (stations, spans, text boards) is told only once: the entries after it follow.
reading_flow refuse(compilation& c, source_file file, const fault& f, source_point at);

// Records a failure of the reading (code 25) against the field being read.
void record_unreadable(compilation& c, source_file file, const field_reader& fields,
                       const reading_failure& failure);

// Whether a key field holds both brackets: a section header, passed over by design.
inline bool is_bracketed(std::string_view key) {
  return contains(key, "[") && contains(key, "]");
}

// Whether a key field ends the line description's general section: bracketed, and not a
// separator.
bool is_section_header(std::string_view key);

// Refusal (code 15) of an entry whose position leaves fewer than `room` metres of cells after it,
// or lies before the start, with the position read and the largest one accepted.
fault outside_route_fault(const compilation& c, std::string_view what, long_t position, long_t room,
                          std::optional<source_point> at = std::nullopt);

// Starts noting placements as coming from the entry whose position field stands at `at`, and logs
// the entry for the author checks. `list` names the entry's kind and must be of static storage.
void begin_entry(compilation& c, source_file file, std::string_view list, long_t position,
                 source_point at);

// Logs a key field that matched no key (section headers excepted).
void note_passed_over(compilation& c, source_file file, const std::string& text, source_point at,
                      bool general_section = false);

// Writes the cells from `cursor` on while the cursor is below `until`, the cursor's cell at least
// once, and never a cell past `last`. The readers' line properties (gradient, speed limit,
// adhesion) each run one cursor over the cells with it.
template <class Write>
void fill_cells(std::vector<cella>& cells, std::int64_t& cursor, double until, std::int64_t last,
                Write write) {
  do {
    if (cursor > last) return;
    write(cells[static_cast<std::size_t>(cursor)]);
    ++cursor;
  } while (cursor < until);
}

}  // namespace scenario
