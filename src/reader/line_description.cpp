#include "reader/line_description.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/fault_codes.h"
#include "model/numeric.h"
#include "reader/entry_scan.h"
#include "reader/line_features.h"
#include "reader/text_boards.h"
#include "reader/track_plan.h"

namespace scenario {

namespace {

class line_reader {
 public:
  line_reader(compilation& c, field_reader& fields) : c_(c), f_(fields) {}

  line_reading run();

 private:
  // Reading on after a refusal, the rest of the entry's line is passed over with it.
  reading_flow refuse(const fault& f, source_point at) {
    const reading_flow flow = scenario::refuse(c_, source_file::line_description, f, at);
    if (c_.read_on_after_refusal) f_.skip_rest_of_line();
    return flow;
  }

  // Reading on after a refusal, a failure of the reading is recorded and the reading goes on at
  // the next line; otherwise it ends the whole reading.
  void read_on_after(const reading_failure& failure) {
    if (!c_.read_on_after_refusal) throw;
    record_unreadable(c_, source_file::line_description, f_, failure);
    f_.skip_rest_of_line();
  }

  // Reads a Long and the point where its field starts.
  long_t read_long(source_point& at) {
    const long_t v = f_.read_long();
    at = f_.where();
    return v;
  }

  // Starts an entry at its position field.
  void begin(std::string_view list, long_t p, source_point at) {
    begin_entry(c_, source_file::line_description, list, p, at);
  }

  // A key field that matched nothing; bracketed headers are passed over by design.
  void passed_over(const key_field& key, source_point at, bool general_section) {
    if (!is_bracketed(key.text()))
      note_passed_over(c_, source_file::line_description, key.text(), at, general_section);
  }

  bool general_entry(const key_field& key, source_point key_at);
  void size_arrays();
  reading_flow entry(const key_field& key, source_point key_at);

  // The cell of position p (and the 100 metres after it) lies past the route's last cell.
  bool out_of_range(long_t p) const { return c_.upper_bound() < (p + 100.0) / 50.0; }
  reading_flow refuse_outside_route(std::string_view what, long_t p, source_point at) {
    return refuse(outside_route_fault(c_, what, p, 100), at);
  }

  void gradient(long_t p, long_t g);
  void gradient_tail();
  void fill_gradient(double until);

  compilation& c_;
  field_reader& f_;
  std::optional<long_t> length_;  // the last route length read, until the arrays are sized
  bool sized_ = false;
  std::int64_t gradient_cursor_ = 0;
  long_t current_gradient_ = 0;
  long_t next_board_record_ = voce::primo_cartello;
  long_t next_plan_metre_ = 2;
  mountain_spans spans_;
};

line_reading line_reader::run() {
  // Everything before the general section is passed over.
  if (!find_section(f_, "[generale]")) {
    refuse({fault_code::no_general_section,
            {},
            "no field holds \"[generale]\" before the end of the line description; "
            "put a line \"[generale]\" before the general keys"},
           {f_.line(), 0});
    return {};
  }
  // Up to ten separator fields stand before a general key. The arrays are sized once, from the
  // last length, when the section ends whichever way: nothing reads them before then, and a file
  // with thousands of lengths then costs one allocation instead of one per length.
  try {
    while (std::optional<std::string> text = next_key(f_, 10, separator_end::not_tested)) {
      const key_field key(std::move(*text));
      bool go_on = true;
      try {
        go_on = general_entry(key, f_.where());
      } catch (const reading_failure& failure) {
        read_on_after(failure);
      }
      if (!go_on) {
        size_arrays();
        return {};
      }
      if (is_section_header(key.text())) break;
    }
  } catch (...) {
    size_arrays();
    throw;
  }
  size_arrays();
  if (!sized_) {
    refuse({fault_code::no_route_length,
            {},
            "the general section ends without \"lunghezza percorso\", so the route has "
            "no cells; add \"lunghezza percorso, L\" (L in metres) to it"},
           f_.where());
    return {};
  }

  order_progressives(c_);
  if (c_.with_track_plan) next_plan_metre_ = start_track_plan(c_.tracciato);

  // Up to two separator fields stand before an entry.
  while (std::optional<std::string> text = next_key(f_, 2, separator_end::tested)) {
    reading_flow flow = reading_flow::go_on;
    try {
      flow = entry(key_field(std::move(*text)), f_.where());
    } catch (const reading_failure& failure) {
      read_on_after(failure);
    }
    if (flow == reading_flow::stop) return {};
    if (flow == reading_flow::end_entries) break;
  }

  gradient_tail();
  if (c_.with_track_plan) track_plan_tail(c_.tracciato, next_plan_metre_);
  return {true, next_board_record_};
}

// Handles every general key the field holds; false when a fault ends the reading.
bool line_reader::general_entry(const key_field& key, source_point key_at) {
  auto& v = c_.voci_generali;
  bool matched = false;
  auto read_progressive = [&](int record) {
    matched = true;
    v[record].inizio = f_.read_long();
    v[record].fine = f_.read_long();
    v[record].posizione = f_.read_long();
  };

  if (key.has("percorso") && key.has("lunghezza")) {
    matched = true;
    source_point at;
    const long_t length = read_long(at);
    v[voce::treno_e_percorso].fine = length;
    if (length < 0 || length > longest_route) {
      refuse({fault_code::route_length,
              {},
              "route length " + std::to_string(length) + " m is outside 0 to " +
                  std::to_string(longest_route) + " m; give a length in that range"},
             at);
      return false;
    }
    length_ = length;
  }
  // Exact case from here on (see key_field).
  if (key.has_exact("tre") && key.has_exact("progressiva")) read_progressive(voce::progressiva_tre);
  if (key.has_exact("due") && key.has_exact("progressiva")) read_progressive(voce::progressiva_due);
  if (key.has_exact("uno") && key.has_exact("progressiva")) read_progressive(voce::progressiva_uno);
  if (key.has_exact("sfondo") && key.has_exact("uno")) {
    matched = true;
    v[voce::percorso].inizio = f_.read_long();
  }
  if (key.has_exact("sfondo") && key.has_exact("due")) {
    matched = true;
    v[voce::percorso].posizione = f_.read_long();
  }
  if (key.has_exact("sfondo") && key.has_exact("tre")) {
    matched = true;
    v[voce::percorso].fine = f_.read_long();
  }
  if (key.has_exact("segnali") && key.has_exact("ripetizione")) {
    matched = true;
    voce_generale& r = v[voce::treno];
    source_point first_at, second_at;
    r.inizio = read_long(first_at);
    r.fine = read_long(second_at);
    auto not_multiple = [](const char* which, long_t value) {
      return std::string(which) + " value of the signal repetition, " + std::to_string(value) +
             " m, is not a multiple of 50; use " + std::to_string(value - value % 50) + " or " +
             std::to_string(value - value % 50 + (value < 0 ? -50 : 50));
    };
    // Each refusal stops the reading, unless it reads on after refusals.
    if (r.inizio % 50 != 0 &&
        refuse({fault_code::repetition_start_grid, {}, not_multiple("first", r.inizio)},
               first_at) != reading_flow::go_on)
      return false;
    if (r.fine % 50 != 0 &&
        refuse({fault_code::repetition_end_grid, {}, not_multiple("second", r.fine)}, second_at) !=
            reading_flow::go_on)
      return false;
    if (key.has_exact("4")) {
      r.posizione = 4;
    } else if (key.has_exact("9")) {
      r.posizione = 9;
    } else if (refuse({fault_code::repetition_codes,
                       {},
                       "the signal repetition key \"" + key.text() +
                           "\" holds neither the digit 4 nor 9, the number of codes; write "
                           "\"ripetizione segnali 4\" or \"ripetizione segnali 9\""},
                      key_at) != reading_flow::go_on) {
      return false;
    }
    if (r.fine == 0) r.posizione = 0;
  }
  if (!matched && !is_section_header(key.text())) passed_over(key, key_at, true);
  return true;
}

// Fresh arrays for the last length read, if any.
void line_reader::size_arrays() {
  if (!length_) return;
  const std::int64_t n = std::int64_t{*length_} + route_tail;
  length_.reset();
  const auto last_cell = static_cast<std::size_t>(nearest(double(n) / 50.0));
  c_.percorso = std::vector<cella>(last_cell + 1);
  if (c_.with_track_plan) c_.tracciato.resize(static_cast<std::size_t>(n));
  sized_ = true;
}

reading_flow line_reader::entry(const key_field& key, source_point key_at) {
  bool matched = false;
  if (key.has("pendenza")) {
    matched = true;
    source_point at;
    const long_t p = read_long(at);
    const long_t g = f_.read_long();
    if (out_of_range(p)) return refuse_outside_route("gradient", p, at);
    begin("gradient", p, at);
    gradient(p, g);
  }

  if (c_.with_track_plan && key.has("curva")) {
    matched = true;
    source_point at, length_at;
    const long_t p = read_long(at);
    const long_t l = read_long(length_at);
    if (out_of_range(p)) return refuse_outside_route("curve", p, at);
    begin("curve", p, at);
    if (!curve_step(c_.tracciato, key.text(), p, l, next_plan_metre_)) {
      if (!curvature_of(key.text())) {
        return refuse({fault_code::curve_refused,
                       {},
                       "curve key \"" + key.text() +
                           "\" holds no class digit 1 to 6, so its curvature is unknown; write "
                           "the class in the key, as in \"curvad3\" or \"curvas3\""},
                      key_at);
      }
      const std::int64_t end = std::int64_t{p} + l;
      const std::int64_t last = std::min<std::int64_t>(c_.tracciato.last_index(), last_plan_metre);
      return refuse({fault_code::curve_refused,
                     {},
                     "curve from " + std::to_string(p) + " m over " + std::to_string(l) +
                         " m would run the track plan to metre " + std::to_string(end) +
                         ", past its last point, metre " + std::to_string(last) +
                         "; shorten the curve or lengthen the route"},
                    length_at);
    }
  } else if (key.has("curva")) {
    matched = true;  // no track plan asked for: curves are passed over with their values
  }

  if (key.has("montagna")) {
    matched = true;
    source_point at;
    montagna_entry e;
    e.inizio = read_long(at);
    e.fine = f_.read_long();
    e.tipo = f_.read_long();
    if (out_of_range(e.inizio)) return refuse_outside_route("mountain span", e.inizio, at);
    begin("mountain span", e.inizio, at);
    if (auto refused = place_mountain_span(c_, spans_, e)) return refuse(*refused, at);
  }

  if (key.has("indicatori_v")) {
    matched = true;
    indicatori_entry e;
    source_point at;
    e.posizione = read_long(at);
    e.vas = f_.read_long();
    e.vbs = f_.read_long();
    e.vcs = f_.read_long();
    e.strisces = f_.read_integer();
    e.vad = f_.read_long();
    e.vbd = f_.read_long();
    e.vcd = f_.read_long();
    e.strisced = f_.read_integer();
    if (out_of_range(e.posizione))
      return refuse_outside_route("speed-limit board", e.posizione, at);
    begin("speed-limit board", e.posizione, at);
    if (auto refused = place_speed_board(c_, e)) return refuse(*refused, at);
  }

  if (key.has("cartello") && key.has("indicat")) {
    cartello_entry e;
    e.posizione = read_long(e.at);
    e.testo = f_.read_text();
    if (auto refused = place_text_board(c_, e, next_board_record_)) return refuse(*refused, e.at);
    return reading_flow::go_on;
  }
  if (!matched) passed_over(key, key_at, false);
  return reading_flow::go_on;
}

// Each cell carries the gradient of the last entry starting at or before it, plus 100.
void line_reader::gradient(long_t p, long_t g) {
  const double t = nearest(p / 50.0);
  if (t > 0) fill_gradient(t);
  current_gradient_ = g;
}

// The last three cells keep no gradient.
void line_reader::gradient_tail() {
  fill_gradient(c_.upper_bound() - 2);
}

// Writes the current gradient from the cursor up to `until`, the cursor's cell at least once,
// never past the last cell.
void line_reader::fill_gradient(double until) {
  fill_cells(c_.percorso, gradient_cursor_, until, c_.upper_bound(), [this](cella& cell) {
    cell.pendenza = low_byte(std::int64_t{current_gradient_} + 100);
  });
}

}  // namespace

line_reading read_line_description(compilation& c, field_reader& fields) {
  return line_reader(c, fields).run();
}

}  // namespace scenario
