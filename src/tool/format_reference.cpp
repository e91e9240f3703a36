#include "tool/format_reference.h"

#include <algorithm>
#include <sstream>
#include <string_view>

namespace scenario {

namespace {

constexpr std::size_t text_width = 100;

std::string width_name(read_as r) {
  switch (r) {
    case read_as::byte:
      return "Byte";
    case read_as::integer:
      return "Integer";
    case read_as::long_int:
      return "Long";
    case read_as::text:
      return "text";
  }
  return "";
}

std::string quoted(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

// "contains "tre" and "progressiva", in exact letter case".
std::string rule_words(const key_format& key) {
  std::string words;
  for (std::string_view w : key.words) {
    if (w.empty()) continue;
    words += (words.empty() ? "" : " and ") + quoted(w);
  }
  std::string s =
      "A key field that contains " + words +
      (key.match_case == letter_case::exact ? ", in exact letter case" : ", letter case ignored");
  if (key.region == key_region::general) s += ", in the general section";
  return s + ", is this key.";
}

// The paragraph `text` cut into lines of at most text_width characters, each after `indent`.
std::string wrapped(std::string_view text, const std::string& indent) {
  std::string out, line = indent;
  std::istringstream words{std::string(text)};
  for (std::string word; words >> word;) {
    if (line.size() > indent.size() && line.size() + 1 + word.size() > text_width) {
      out += line + '\n';
      line = indent;
    }
    if (line.size() > indent.size()) line += ' ';
    line += word;
  }
  if (line.size() > indent.size()) out += line + '\n';
  return out;
}

std::string accepted_words(const value_format& v) {
  std::string s = range_words(v, v.accepted);
  if (v.on_route_cells) s += ", within the route's cells (code 15 past them)";
  if (v.fails_later) s += "; outside that the compile fails at a later entry (code 25)";
  return s;
}

std::string stored_words(const value_format& v) {
  std::string s(v.stored);
  if (v.kept) s += "; it holds " + range_words(v, *v.kept);
  return s;
}

std::string usual_words(const value_format& v) {
  if (v.route_position) return "0 to the route's length";
  return range_words(v, v.usual);
}

// "The compile accepts any Long; a real scenario uses 0 to 23."
std::string ranges_sentence(const value_format& v) {
  if (v.usual == v.accepted && !v.route_position)
    return "The compile accepts, and a real scenario may use, " + accepted_words(v) + ".";
  return "The compile accepts " + accepted_words(v) + "; a real scenario uses " + usual_words(v) +
         ".";
}

std::string value_title(const value_format& v) {
  return std::string(v.name) + (v.unit.empty() ? "" : " (" + std::string(v.unit) + ")");
}

std::string example_heading(const key_format& key) {
  if (!key.example_built_in) return "Example";
  return "Example, from the built-in " + std::string(format_of(key.file).title);
}

std::string cell(std::string_view s) {
  std::string out;
  for (char ch : s) {
    if (ch == '|') out += '\\';
    out += ch;
  }
  return out;
}

}  // namespace

std::string range_words(const value_format& v, const value_range& range) {
  if (v.read == read_as::text) {
    if (range.low == 0) return "up to " + std::to_string(range.high) + " characters";
    return std::to_string(range.low) + " to " + std::to_string(range.high) + " characters";
  }
  const value_range full = range_of(v.read);
  if (range == full) {
    if (v.read == read_as::long_int) return "any Long";
    return "any " + width_name(v.read) + " (" + std::to_string(full.low) + " to " +
           std::to_string(full.high) + ")";
  }
  if (range.low == range_of(read_as::long_int).low)
    return "any Long up to " + std::to_string(range.high);
  return std::to_string(range.low) + " to " + std::to_string(range.high);
}

std::string value_details(const value_format& v, const std::string& indent) {
  std::string out = wrapped(v.meaning, indent);
  if (!v.form.empty()) out += wrapped("Form: " + std::string(v.form) + ".", indent);
  out +=
      wrapped("Read as: " + width_name(v.read) + ". Stored in: " + stored_words(v) + ".", indent);
  out += wrapped(ranges_sentence(v), indent);
  return out;
}

std::string value_heading(const value_format& v) {
  return value_title(v);
}

std::string entry_form(const key_format& key) {
  std::string s(form_key(key));
  for (const value_format& v : key.values) s += ", " + std::string(v.name);
  return s;
}

std::string key_reference(const key_format& key) {
  const file_format& file = format_of(key.file);
  std::string out = std::string(key.name) + " (" + std::string(file.title) + ", under " +
                    std::string(key.section) + ")\n\n";
  out += wrapped(key.meaning, "");
  out += wrapped(rule_words(key) + (key.key_notes.empty() ? "" : " ") + std::string(key.key_notes),
                 "");
  out += "\nForm:\n    " + entry_form(key) + "\n\nValues:\n";
  int n = 0;
  for (const value_format& v : key.values) {
    const std::string number = std::to_string(++n);
    out += std::string(3 - std::min<std::size_t>(number.size(), 2), ' ') + number + ". " +
           value_title(v) + "\n";
    out += value_details(v, std::string(5, ' '));
  }
  out += "\n" + example_heading(key) + ":\n    " + std::string(key.example) + "\n";
  return out;
}

std::string section_reference(const section_format& section) {
  const file_format& file = format_of(section.file);
  std::string out = std::string(section.header) + " (" + std::string(file.title) + ")\n\n" +
                    wrapped(section.meaning, "");
  const std::vector<const key_format*> keys = keys_of_section(section);
  if (keys.empty()) return out;
  out += "\nKeys under it (scenario explain KEY tells each value):\n";
  for (const key_format* k : keys) {
    out += "    " + entry_form(*k) + "\n";
    out += wrapped(k->meaning, "        ");
  }
  return out;
}

std::string format_reference_markdown() {
  std::string out =
      "# The data file formats\n\n"
      "<!-- Generated from the table of src/reader/file_format.cpp; a test fails when this file "
      "is out of date; SCENARIO_UPDATE_GOLDEN=1 build-test/bin/tool_tests "
      "--gtest_filter='FormatReference*' rewrites it. -->\n\n"
      "A scenario is two text files: the line description and the train scenario. This is the "
      "reference of every section, key and value of both; `scenario explain KEY` and `scenario "
      "explain [SECTION]` print the same for one entry or section.\n\n"
      "## Fields\n\n" +
      wrapped(field_rules(), "");
  for (const file_format& f : file_formats()) {
    out += "\n## The " + std::string(f.title) + ", `" + std::string(f.file_name) + "`\n\n";
    out += wrapped(f.summary, "");
    for (const section_format& s : f.sections) {
      out += "\n### `" + std::string(s.header) + "`\n\n" + wrapped(s.meaning, "");
      for (const key_format* k : keys_of_section(s)) {
        out += "\n#### `" + std::string(k->name) + "`\n\n";
        out += wrapped(std::string(k->meaning) + " " + rule_words(*k) +
                           (k->key_notes.empty() ? "" : " ") + std::string(k->key_notes),
                       "");
        out += "\n    " + entry_form(*k) + "\n\n";
        out +=
            "| # | Value | Meaning | Read as | Stored in | The compile accepts | A real "
            "scenario uses |\n|---|---|---|---|---|---|---|\n";
        int n = 0;
        for (const value_format& v : k->values) {
          std::string meaning(v.meaning);
          if (!v.form.empty()) meaning += " Form: " + std::string(v.form) + ".";
          out += "| " + std::to_string(++n) + " | `" + std::string(v.name) + "`" +
                 (v.unit.empty() ? "" : " (" + std::string(v.unit) + ")") + " | " + cell(meaning) +
                 " | " + width_name(v.read) + " | " + cell(stored_words(v)) + " | " +
                 cell(accepted_words(v)) + " | " + cell(usual_words(v)) + " |\n";
        }
        out += "\n" + example_heading(*k) + ":\n\n    " + std::string(k->example) + "\n";
      }
    }
  }
  return out;
}

}  // namespace scenario
