// The table of the file formats as text for people: one entry or one section for `scenario
// explain`, and the whole reference as docs/format.md. Nothing here restates the table.
#pragma once

#include <string>

#include "reader/file_format.h"

namespace scenario {

// "segnale, posizione, sx, s1, ..., tempo".
std::string entry_form(const key_format& key);

// One key: what it is, its form, each value with its meaning, unit, widths and ranges, and an
// example.
std::string key_reference(const key_format& key);

// One value: "posizione (m)", its name with its unit.
std::string value_heading(const value_format& v);

// One value's meaning, form, width, where it is stored and its ranges, each line cut to the
// reference's width after `indent`.
std::string value_details(const value_format& v, const std::string& indent);

// One section: what it holds and the form of each key under it.
std::string section_reference(const section_format& section);

// The reference of both files, in Markdown.
std::string format_reference_markdown();

// "0 to 23", "any Long", "0 to the route's length", "1 to 22 characters".
std::string range_words(const value_format& v, const value_range& range);

}  // namespace scenario
