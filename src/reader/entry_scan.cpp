#include "reader/entry_scan.h"

#include <algorithm>

#include "model/fault_codes.h"

namespace scenario {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& ch : out)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return out;
}

bool find_section(field_reader& fields, std::string_view header) {
  for (;;) {
    const std::string field = fields.read_text();
    if (fields.at_end()) return false;
    if (contains(lower(field), header)) return true;
  }
}

std::optional<std::string> next_key(field_reader& fields, int separators, separator_end end) {
  if (fields.at_end()) return std::nullopt;
  std::string key = fields.read_text();
  if (fields.at_end()) return std::nullopt;
  for (int i = 0; i < separators && contains(key, "-"); ++i) {
    key = fields.read_text();
    if (end == separator_end::tested && fields.at_end()) return std::nullopt;
  }
  return key;
}

namespace {

bool table_full(std::int32_t code) {
  return code == fault_code::too_many_stations || code == fault_code::too_many_spans ||
         code == fault_code::too_many_text_boards;
}

bool recorded(const compilation& c, std::int32_t code) {
  return std::any_of(c.diagnostics.begin(), c.diagnostics.end(),
                     [code](const diagnostic& d) { return d.code == code; });
}

}  // namespace

reading_flow refuse(compilation& c, source_file file, const fault& f, source_point at) {
  if (c.read_on_after_refusal) {
    if (!(table_full(f.code) && recorded(c, f.code))) record_fault(c, f, file, at);
    return reading_flow::go_on;
  }
  record_fault(c, f, file, at);
  return f.code == fault_code::outside_route ? reading_flow::end_entries : reading_flow::stop;
}

void record_unreadable(compilation& c, source_file file, const field_reader& fields,
                       const reading_failure& failure) {
  record_fault(c,
               {fault_code::unreadable_entry, std::nullopt,
                "unreadable entry: " + std::string(failure.what())},
               file, fields.where());
}

bool is_section_header(std::string_view key) {
  const std::size_t first = key.find_first_not_of(' ');
  if (first != std::string_view::npos && key[first] == '-') return false;
  return is_bracketed(key);
}

fault outside_route_fault(const compilation& c, std::string_view what, long_t position, long_t room,
                          std::optional<source_point> at) {
  const std::string head = std::string(what) + " at " + std::to_string(position) + " m ";
  if (position < 0)
    return {fault_code::outside_route, position,
            head + "lies before the start of the route; give a position of 0 or more", at};
  const std::int64_t last = c.upper_bound();
  const std::int64_t largest = last * 50 - room;
  return {fault_code::outside_route, position,
          head + "lies beyond the route: the route is " +
              std::to_string(c.voci_generali[voce::treno_e_percorso].fine) +
              " m long, its cells end at metre " + std::to_string(last * 50 + 49) +
              ", and this entry needs " + std::to_string(room) +
              " m of cells after its position; give a position of at most " +
              std::to_string(largest) + " m",
          at};
}

void begin_entry(compilation& c, source_file file, std::string_view list, long_t position,
                 source_point at) {
  c.entries_read.push_back({file, list, position, at});
  c.current_origin = static_cast<std::int32_t>(c.entries_read.size() - 1);
}

void note_passed_over(compilation& c, source_file file, const std::string& text, source_point at,
                      bool general_section) {
  c.passed_over.push_back({file, text, at, general_section});
}

}  // namespace scenario
