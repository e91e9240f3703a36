#include "tool/entry_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "model/fault_codes.h"
#include "model/numeric.h"
#include "reader/entry_scan.h"
#include "reader/field_reader.h"
#include "reader/file_format.h"
#include "tool/format_reference.h"

namespace scenario {

namespace {

// One field as the compile reads it, with where it stands (its line counted from the entry's).
struct read_field {
  std::string text;
  source_point at;
};

// A line of the file: its number, where it starts in the bytes, and its text without the line end.
struct text_line {
  int number = 0;
  std::size_t start = 0;
  std::string_view text;
};

std::vector<text_line> lines_of(std::string_view bytes) {
  std::vector<text_line> lines;
  std::size_t start = 0;
  for (int n = 1; start < bytes.size(); ++n) {
    std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    if (end > start && bytes[end - 1] == '\r' && end < bytes.size()) --end;
    lines.push_back({n, start, bytes.substr(start, end - start)});
    start = next;
  }
  return lines;
}

bool blank(std::string_view s) {
  return s.find_first_not_of(" \t") == std::string_view::npos;
}

std::string quoted(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

// A long text quoted by its start, so that the message stays one readable line; the source line
// under it shows the whole.
std::string quoted_start(std::string_view s) {
  constexpr std::size_t shown = 40;
  if (s.size() <= shown) return quoted(s);
  std::size_t cut = shown - 3;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;  // whole characters
  return "\"" + std::string(s.substr(0, cut)) + "...\"";
}

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += i + 1 == items.size() ? " and " : ", ";
    out += items[i];
  }
  return out;
}

std::string values_word(std::size_t n) {
  return std::to_string(n) + (n == 1 ? " value" : " values");
}

bool all_digits(std::string_view s) {
  return !s.empty() &&
         std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

// The entry of one line: its keys and the values they take, in file order.
struct entry_on_line {
  source_file file;
  const text_line& line;
  std::vector<const key_format*> keys;
  std::vector<const value_format*> values;
  source_point key_at;
  std::string key_text;

  // " takes ", or " take together " for a key field that holds several keys.
  std::string takes() const { return keys.size() == 1 ? " takes " : " take together "; }

  std::string key_names() const {
    std::vector<std::string> names;
    for (const key_format* k : keys) names.emplace_back(k->name);
    return listed(names);
  }
};

class file_checker {
 public:
  file_checker(source_file file, std::string_view bytes) : file_(file), bytes_(bytes) {}

  entry_findings run() {
    bool general_seen = false;
    key_region region = key_region::entries;
    for (const text_line& line : lines_of(bytes_)) {
      if (blank(line.text)) continue;
      if (!general_seen) {
        if (lower(line.text).find("[generale]") != std::string::npos) {
          general_seen = true;
          region =
              file_ == source_file::line_description ? key_region::general : key_region::entries;
        }
        continue;
      }
      field_reader fields(bytes_.substr(line.start));
      std::string key;
      try {
        key = fields.read_text();
      } catch (const reading_failure&) {
        continue;  // a key too long to read: the compile says so
      }
      if (region == key_region::general && is_section_header(key)) {
        region = key_region::entries;
        continue;
      }
      if (is_bracketed(key) || contains(key, "-")) continue;  // headers and separators
      entry_on_line e{file_, line, keys_matching(file_, region, key), {}, fields.where(), key};
      if (e.keys.empty()) continue;  // an unknown key, told by the key checks
      for (const key_format* k : e.keys)
        for (const value_format& v : k->values) e.values.push_back(&v);
      check(e, fields);
    }
    return std::move(found_);
  }

 private:
  // Reads the entry's values as the compile does, then holds them to the table.
  void check(const entry_on_line& e, field_reader& fields) {
    std::vector<read_field> values;
    bool file_ended = false;
    for (const value_format* v : e.values) {
      try {
        const std::string text =
            v->read == read_as::text ? fields.read_text() : std::string(fields.read_number_text());
        values.push_back({text, fields.where()});
      } catch (const reading_failure&) {
        file_ended = true;
        break;
      }
    }
    const auto on_line =
        static_cast<std::size_t>(std::find_if(values.begin(), values.end(),
                                              [](const read_field& f) { return f.at.line > 1; }) -
                                 values.begin());
    if (on_line < e.values.size()) return too_few(e, values, on_line, file_ended);

    // The fields left on the line, which the compile reads as keys and passes over.
    std::vector<read_field> surplus;
    for (field_reader rest = fields; !rest.at_end();) {
      std::string text = rest.read_text();
      if (rest.where().line != 1) break;
      if (!blank(text)) surplus.push_back({std::move(text), rest.where()});
    }
    if (!surplus.empty()) return too_many(e, values, surplus);
    for (std::size_t i = 0; i < values.size(); ++i) check_value(e, *e.values[i], values[i]);
  }

  void add(std::int32_t code, severity sev, const text_line& line, int column,
           std::string message) {
    diagnostic d;
    d.code = code;
    d.sev = sev;
    d.file = file_;
    d.line = line.number;
    d.column = column;
    d.message = std::move(message);
    found_.diagnostics.push_back(std::move(d));
  }

  void too_few(const entry_on_line& e, const std::vector<read_field>& values, std::size_t on_line,
               bool file_ended) {
    std::string message = e.key_names() + e.takes() + values_word(e.values.size()) + "; line " +
                          std::to_string(e.line.number) + " has " + std::to_string(on_line);
    if (values.size() > on_line) {
      std::vector<std::string> names, texts;
      for (std::size_t i = on_line; i < values.size(); ++i) {
        names.emplace_back(e.values[i]->name);
        texts.push_back(quoted(values[i].text));
      }
      const int first = e.line.number + values[on_line].at.line - 1;
      const int last = e.line.number + values.back().at.line - 1;
      message +=
          ": the compile takes " + listed(names) + " from " +
          (first == last ? "line " + std::to_string(first)
                         : "lines " + std::to_string(first) + " to " + std::to_string(last)) +
          " (" + listed(texts) + "), and reads the rest of " +
          (first == last ? "that line" : "them") + " out of step";
      for (int l = first; l <= last; ++l) found_.out_of_step.insert({file_, l});
    }
    if (file_ended)
      message += values.size() > on_line ? "; then the file ends" : ", and the file ends";
    const std::size_t end = e.line.text.find_last_not_of(" \t");
    add(fault_code::value_count, severity::warning, e.line, static_cast<int>(end + 2), message);
  }

  void too_many(const entry_on_line& e, const std::vector<read_field>& values,
                const std::vector<read_field>& surplus) {
    found_.out_of_step.insert({file_, e.line.number});
    if (surplus.size() == 1 && decimal_comma(e, values, surplus.front())) return;
    std::vector<std::string> texts;
    for (const read_field& f : surplus) texts.push_back(quoted(f.text));
    add(fault_code::value_count, severity::warning, e.line, surplus.front().at.column,
        e.key_names() + e.takes() + values_word(e.values.size()) + "; line " +
            std::to_string(e.line.number) + " has " +
            std::to_string(values.size() + surplus.size()) + ": the compile passes over " +
            listed(texts));
  }

  // One field too many, made by a comma inside a number ("-4,5"), where every other comma of the
  // line has a blank beside it.
  bool decimal_comma(const entry_on_line& e, const std::vector<read_field>& values,
                     const read_field& extra) {
    std::vector<read_field> fields{{e.key_text, e.key_at}};
    fields.insert(fields.end(), values.begin(), values.end());
    fields.push_back(extra);
    auto gap = [&](std::size_t i) {
      const std::size_t end =
          static_cast<std::size_t>(fields[i].at.column - 1) + fields[i].text.size();
      return e.line.text.substr(end, static_cast<std::size_t>(fields[i + 1].at.column - 1) - end);
    };
    std::optional<std::size_t> comma;
    for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
      const std::string_view between = gap(i);
      if (between.find_first_of(" \t") != std::string_view::npos) continue;
      if (comma || i == 0) return false;
      comma = i;
    }
    if (!comma) return false;
    const read_field& whole = fields[*comma];
    const read_field& fraction = fields[*comma + 1];
    if (!all_digits(fraction.text) || whole.text.find('.') != std::string::npos ||
        !number_value(whole.text) || whole.text.empty())
      return false;

    // The values from the one that holds the whole part on, as the compile takes them.
    const std::size_t first = *comma - 1;  // index into `values`
    std::vector<std::string> read_as_values;
    for (std::size_t i = first; i < values.size(); ++i)
      read_as_values.push_back(values[i].text + " as " + std::string(e.values[i]->name));
    const bool last = first + 1 == values.size();
    const std::string written = whole.text + "," + fraction.text;
    add(last ? fault_code::stray_value : fault_code::value_count,
        last ? severity::note : severity::warning, e.line, whole.at.column,
        quoted(written) + " holds a decimal comma: the compile reads " + listed(read_as_values) +
            " and passes over " + quoted(extra.text) + "; a decimal point is \".\", as in " +
            whole.text + "." + fraction.text);
    return true;
  }

  void check_value(const entry_on_line& e, const value_format& v, const read_field& f) {
    if (v.read == read_as::text) return check_text(e, v, f);
    const std::optional<double> number = number_value(f.text);
    // A value that is no number, or does not fit its width, fails the compile right here.
    if (!number || std::fabs(*number) > 9e18) return;
    const auto value = static_cast<std::int64_t>(*number);
    if (!range_of(v.read).contains(value)) return;
    const std::string unit = v.unit.empty() ? "" : " " + std::string(v.unit);
    const bool own_name = e.keys.size() == 1 && e.keys.front()->name == v.name;
    const std::string written = f.text.empty() ? "0 (an empty field)" : f.text;
    const std::string subject = std::string(v.name) + " " + written + unit +
                                (own_name ? "" : " of " + std::string(e.key_names()));
    std::string message;
    if (v.route_position) {
      if (value >= 0) return;  // beyond the route's end is the position checks' to tell
      message = e.key_names() + " at " + written + " m lies before the start of the route";
    } else if (!v.accepted.contains(value)) {
      if (!v.fails_later) return;
      message = subject + " does not fit " + std::string(v.stored) + ": the compile takes " +
                range_words(v, v.accepted) + " and fails at a later entry (code 25)";
    } else if (v.kept && !v.kept->contains(value)) {
      message = subject + " does not fit " + std::string(v.stored) + ", which holds " +
                range_words(v, *v.kept) + ": the compile stores another number";
    } else if (!v.usual.contains(value)) {
      message =
          subject + " is outside " + range_words(v, v.usual) + ", the range a real scenario uses";
    } else {
      return;
    }
    add(fault_code::out_of_range, severity::warning, e.line, f.at.column, message);
  }

  void check_text(const entry_on_line& e, const value_format& v, const read_field& f) {
    const std::string what =
        v.rule == text_rule::board_text ? "the board text " : "the station name ";
    if (v.rule == text_rule::none) return;
    // A key where a name goes: the entry's fields are probably not where the author meant them.
    const std::string folded = lower(f.text);
    for (const key_format& k : all_keys()) {
      if (k.file != file_) continue;
      for (std::string_view spelling : spellings(k)) {
        if (folded != spelling) continue;
        add(fault_code::text_form, severity::note, e.line, f.at.column,
            what + quoted(f.text) + " is the key " + quoted(k.name) +
                ", not a name; a value may be missing or out of place");
        return;
      }
    }
    if (v.rule == text_rule::station_name &&
        !v.usual.contains(static_cast<std::int64_t>(f.text.size()))) {
      add(fault_code::text_form, severity::note, e.line, f.at.column,
          what + quoted_start(f.text) + " has " + std::to_string(f.text.size()) +
              " characters; the timetable card's name column holds " +
              std::to_string(v.usual.high));
    }
    if (v.rule == text_rule::board_text && !bracketed_halves(f.text)) {
      add(fault_code::text_form, severity::note, e.line, f.at.column,
          what + quoted_start(f.text) + " is not " + std::string(v.form) + ", as " +
              quoted("(  Cippo  )(Km 28+000)") + " is");
    }
  }

  // One or two groups in brackets, each of at most 10 characters: the boards' two lines.
  static bool bracketed_halves(std::string_view text) {
    int halves = 0;
    while (!text.empty()) {
      if (text.front() != '(' || ++halves > 2) return false;
      const std::size_t close = text.find(')');
      if (close == std::string_view::npos || close - 1 > 10) return false;
      const std::string_view inside = text.substr(1, close - 1);
      if (inside.find('(') != std::string_view::npos) return false;
      text.remove_prefix(close + 1);
    }
    return halves > 0;
  }

  source_file file_;
  std::string_view bytes_;
  entry_findings found_;
};

}  // namespace

entry_findings check_entries(source_file file, std::string_view bytes) {
  return file_checker(file, bytes).run();
}

}  // namespace scenario
