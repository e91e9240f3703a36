// The two data file formats as data: every section header, every key with the rule by which the
// reader recognises it, and every value of every entry with its meaning, unit, widths and ranges.
// The readers keep their own matching code; `scenario explain`, docs/format.md and the checks of
// `scenario check` read this table, and tests hold it and the readers to each other.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "model/diagnostics.h"

namespace scenario {

// How the reader reads a value: a number converted to one of the model's widths, or a text that
// ends at the next comma or line end.
enum class read_as { byte, integer, long_int, text };

// A closed range of whole numbers; for a text, of its length in bytes.
struct value_range {
  std::int64_t low = 0;
  std::int64_t high = 0;

  bool contains(std::int64_t v) const { return v >= low && v <= high; }
  friend bool operator==(const value_range&, const value_range&) = default;
};

// What `scenario check` asks of a text beyond its length.
enum class text_rule {
  none,
  station_name,  // fits the timetable card's column
  board_text,    // one or two bracketed halves
};

struct value_format {
  std::string_view name;     // the model's name of the value (`sx`, `orario` ...)
  std::string_view meaning;  // one or two sentences
  std::string_view unit;     // "m", "km/h" ...; empty for a count, a code or a text
  read_as read = read_as::long_int;
  std::string_view stored;  // where the value lands and in what width
  value_range accepted;     // what the compile takes without a fault
  value_range usual;        // what a real scenario uses; `scenario check` warns outside it
  // The range the stored field keeps as given; outside it the compile stores another number (its
  // low bits) without a word. nullopt: kept as read.
  std::optional<value_range> kept;
  // A value outside `accepted` fails the compile further on (code 25 at a later entry or at the
  // end of the file) rather than at its own field.
  bool fails_later = false;
  bool route_position = false;  // metres from the start; usually 0 to the route's length
  bool on_route_cells = false;  // the compile refuses it past the route's cells (code 15)
  std::string_view form;        // the form it is written in, when there is one
  text_rule rule = text_rule::none;
};

// Which part of a file a key is read in. The line description reads its general keys before the
// first section header and its entries after it; the train scenario reads all its keys alike.
enum class key_region { general, entries };

enum class letter_case { ignored, exact };

struct key_format {
  std::string_view name;  // as the built-in files write it
  source_file file = source_file::none;
  key_region region = key_region::entries;
  std::string_view section;  // the header the built-in files put it under
  // A key field is this key when it contains every word (an empty word is no condition), in the
  // key's letter case rule.
  std::array<std::string_view, 2> words;
  letter_case match_case = letter_case::ignored;
  std::string_view meaning;
  std::string_view key_notes;  // more on the key field itself, when it carries data
  std::string_view form_key;   // the key as the entry's form shows it; empty: `name`
  std::span<const std::string_view> spellings;  // the key fields authors write; empty: `name`
  std::span<const value_format> values;         // in file order
  std::string_view example;                     // a line of the built-in files
  bool example_built_in = true;                 // false where the built-in files have no such entry
};

struct section_format {
  std::string_view header;  // "[segnali]"
  source_file file = source_file::none;
  std::string_view meaning;
};

// The file's own rules: where its sections are, how fields and separators are read.
struct file_format {
  source_file file = source_file::none;
  std::string_view title;      // "line description"
  std::string_view file_name;  // "<route>_linea.txt"
  std::string_view summary;
  std::span<const section_format> sections;  // in the built-in file's order
};

// How both files are read, field by field: the rules every entry relies on.
std::string_view field_rules();

// Both files, the line description first.
std::span<const file_format> file_formats();
const file_format& format_of(source_file file);

// Every key, the line description's first, each file's keys in the order the reader tests them.
std::span<const key_format> all_keys();

// The keys of one file and region whose rule `key_field` meets, in the reader's order: a key
// field holding the words of several keys triggers each of them.
std::vector<const key_format*> keys_matching(source_file file, key_region region,
                                             std::string_view key_field);

// Whether `key_field` meets the key's rule.
bool key_matches(const key_format& key, std::string_view key_field);

// The keys the built-in files put under a section.
std::vector<const key_format*> keys_of_section(const section_format& section);

// The sections whose header is `header`, letter case ignored; "[generale]" opens both files.
std::vector<const section_format*> find_sections(std::string_view header);

// The form key of an entry ("segnale", "curva<side><class>").
std::string_view form_key(const key_format& key);

// The key fields an author writes for `key`.
std::span<const std::string_view> spellings(const key_format& key);

// The full range of a width: Byte 0 to 255, Integer and Long signed; a text's length 0 to 32767.
value_range range_of(read_as width);

}  // namespace scenario
