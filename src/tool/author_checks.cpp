#include "tool/author_checks.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "reader/entry_scan.h"
#include "reader/file_format.h"
#include "tool/entry_checks.h"
#include "tool/suggest.h"
#include "tool/text_encoding.h"

namespace scenario {

namespace {

std::string trimmed_lower(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(" \t");
  return lower(s.substr(first, last - first + 1));
}

bool is_number_text(std::string_view s) {
  const std::string t = trimmed_lower(s);
  if (t.empty()) return false;
  std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
  bool digit = false;
  for (; i < t.size(); ++i) {
    if (t[i] >= '0' && t[i] <= '9') {
      digit = true;
    } else if (t[i] != '.') {
      return false;
    }
  }
  return digit;
}

diagnostic warning_at(std::int32_t code, source_file file, source_point at, std::string message,
                      severity sev = severity::warning) {
  diagnostic d;
  d.code = code;
  d.sev = sev;
  d.file = file;
  d.line = at.line;
  d.column = at.column;
  d.message = std::move(message);
  return d;
}

// The lists whose positions must not go back; the cursor lists also must not repeat a position.
bool ordered_list(std::string_view list) {
  return list == "gradient" || list == "speed limit" || list == "adhesion" || list == "signal";
}
bool cursor_list(std::string_view list) {
  return list == "gradient" || list == "speed limit" || list == "adhesion";
}

void position_checks(const compilation& c, std::vector<diagnostic>& out) {
  const long_t length = c.voci_generali[voce::treno_e_percorso].fine;
  std::map<std::pair<source_file, std::string_view>, const read_entry*> previous;
  for (const read_entry& e : c.entries_read) {
    const std::string what = std::string(e.list) + " at " + std::to_string(e.position) + " m";
    if (e.position > length) {
      out.push_back(warning_at(fault_code::beyond_end, e.file, e.at,
                               what + " lies beyond the route's end at " + std::to_string(length) +
                                   " m; the compile takes it without a word, in the 7000 m of "
                                   "cells after the end"));
    }
    const auto key = std::make_pair(e.file, e.list);
    const read_entry* before = previous[key];
    previous[key] = &e;
    if (!before || !ordered_list(e.list)) continue;
    const std::string after = " (line " + std::to_string(before->at.line) + ")";
    if (e.position < before->position) {
      out.push_back(warning_at(fault_code::backwards, e.file, e.at,
                               what + " comes after the " + std::string(e.list) + " at " +
                                   std::to_string(before->position) + " m" + after +
                                   ": positions go backwards; list the entries in order"));
    } else if (e.position == before->position && cursor_list(e.list)) {
      out.push_back(warning_at(fault_code::same_position, e.file, e.at,
                               what + " repeats the position of the entry before it" + after +
                                   "; the earlier value still takes one more cell"));
    }
  }
}

// `out_of_step`: lines whose passed-over fields follow from a fault the entry checks told.
void key_checks(const compilation& c, const std::set<std::pair<source_file, int>>& out_of_step,
                std::vector<diagnostic>& out) {
  // Fields after an unknown key on its line are its values, not strays of their own.
  source_file unknown_file = source_file::none;
  int unknown_line = 0;
  for (const passed_field& f : c.passed_over) {
    if (f.file == unknown_file && f.at.line == unknown_line) continue;
    if (out_of_step.count({f.file, f.at.line})) continue;
    if (is_number_text(f.text)) {
      out.push_back(warning_at(fault_code::stray_value, f.file, f.at,
                               "the value field \"" + trimmed_lower(f.text) +
                                   "\" belongs to no entry and is passed over",
                               severity::note));
      continue;
    }
    if (trimmed_lower(f.text).empty()) continue;
    // A key field in the general section of the line description is matched against its keys.
    std::string message = "unknown key '" + trimmed_lower(f.text) + "'";
    const key_region other = f.general_section ? key_region::entries : key_region::general;
    if (f.file == source_file::line_description && !keys_matching(f.file, other, f.text).empty()) {
      // A key of the line description's other part: where it stands, it is no key.
      message = "'" + trimmed_lower(f.text) + "' is a key of the " +
                (f.general_section ? "entries after" : "general section before") +
                " the first section header, not here";
    } else if (const std::string suggestion = nearest_key(f.file, f.text, f.general_section);
               !suggestion.empty()) {
      message += " (did you mean '" + suggestion + "'?)";
    }
    message += "; the entry is passed over with its values";
    out.push_back(warning_at(fault_code::unknown_key, f.file, f.at, message));
    unknown_file = f.file;
    unknown_line = f.at.line;
  }
}

// What the text of a line is, from its key.
std::string text_kind(std::string_view line) {
  const std::string key = lower(line.substr(0, line.find(',')));
  if (key.find("cartello") != std::string::npos) return "the board text";
  if (key.find("stazione") != std::string::npos) return "the station name";
  return "the text";
}

void encoding_checks(source_file file, std::string_view bytes, std::vector<diagnostic>& out) {
  int line = 1;
  std::size_t start = 0;
  if (has_byte_order_mark(bytes)) {
    out.push_back(warning_at(
        fault_code::looks_like_utf8, file, {1, 1},
        "the file begins with a UTF-8 byte order mark (the bytes EF BB BF), which the compile "
        "passes over with what stands before \"[generale]\"; --input-encoding utf-8 drops it",
        severity::note));
    start = byte_order_mark.size();
  }
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view text = bytes.substr(start, end - start);
    // Columns count from the line's first byte, the byte order mark's included.
    const std::size_t shift = line == 1 ? start : 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const std::size_t n = utf8_sequence_at(text, i);
      if (n == 0) continue;
      out.push_back(warning_at(
          fault_code::looks_like_utf8, file, {line, static_cast<int>(shift + i) + 1},
          text_kind(text) + " looks like UTF-8 (\"" + std::string(text.substr(i, n)) +
              "\"); the simulator reads Windows-1252; save the file in that code page or give "
              "--input-encoding utf-8"));
      break;
    }
    start = end + 1;
    ++line;
  }
}

// File by file, top to bottom, so that the author reads them in order; those of no file last.
bool in_file_order(const diagnostic& a, const diagnostic& b) {
  auto file_rank = [](source_file f) { return f == source_file::none ? 3 : static_cast<int>(f); };
  return std::tuple(file_rank(a.file), a.line, a.column) <
         std::tuple(file_rank(b.file), b.line, b.column);
}

}  // namespace

std::string nearest_key(source_file file, std::string_view key, bool general_section) {
  const key_region region = file == source_file::line_description && general_section
                                ? key_region::general
                                : key_region::entries;
  std::vector<std::string> names;
  for (const key_format& k : all_keys())
    if (k.file == file && k.region == region)
      for (std::string_view spelling : spellings(k)) names.emplace_back(spelling);
  return closest_name(trimmed_lower(key), names).value_or(std::string());
}

std::vector<diagnostic> author_warnings(const compilation& c, std::string_view line_bytes,
                                        std::string_view train_bytes, bool check_encoding) {
  std::vector<diagnostic> out;
  std::set<std::pair<source_file, int>> out_of_step;
  for (const auto& [file, bytes] : {std::pair{source_file::line_description, line_bytes},
                                    std::pair{source_file::train_scenario, train_bytes}}) {
    entry_findings found = check_entries(file, bytes);
    out.insert(out.end(), found.diagnostics.begin(), found.diagnostics.end());
    out_of_step.insert(found.out_of_step.begin(), found.out_of_step.end());
  }
  key_checks(c, out_of_step, out);
  position_checks(c, out);
  if (check_encoding) {
    encoding_checks(source_file::line_description, line_bytes, out);
    encoding_checks(source_file::train_scenario, train_bytes, out);
  }
  std::stable_sort(out.begin(), out.end(), in_file_order);
  return out;
}

std::vector<diagnostic> check_report(const compilation& c, std::string_view line_bytes,
                                     std::string_view train_bytes, bool check_encoding) {
  std::set<std::pair<source_file, int>> refused;
  for (const diagnostic& d : c.diagnostics)
    if (d.sev == severity::error) refused.insert({d.file, d.line});
  std::vector<diagnostic> all = c.diagnostics;
  for (diagnostic& d : author_warnings(c, line_bytes, train_bytes, check_encoding)) {
    const bool of_values = d.code == fault_code::beyond_end || d.code == fault_code::out_of_range ||
                           d.code == fault_code::value_count;
    if (!(of_values && refused.count({d.file, d.line}))) all.push_back(std::move(d));
  }
  std::stable_sort(all.begin(), all.end(), in_file_order);

  // Codes after which nothing more was read.
  auto reading_stopped = [](std::int32_t code) {
    return code == fault_code::route_length || code == fault_code::no_line_description ||
           code == fault_code::no_general_section || code == fault_code::no_route_length;
  };
  const auto first = std::find_if(all.begin(), all.end(),
                                  [](const diagnostic& d) { return d.sev == severity::error; });
  if (first != all.end() && first + 1 != all.end() && !reading_stopped(first->code)) {
    diagnostic note;
    note.code = first->code;
    note.sev = severity::note;
    note.message =
        "check reads on after a refused entry, from the next line; what it reports after the "
        "first refusal may follow from it";
    all.insert(first + 1, std::move(note));
  }
  return all;
}

}  // namespace scenario
