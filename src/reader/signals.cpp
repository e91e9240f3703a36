#include "reader/signals.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "model/fault_codes.h"
#include "model/numeric.h"

namespace scenario {

namespace {

// Cell index of a point object at `metres`, or of a span start when `offset` is 0.
std::int64_t cell_at(double metres, double offset) {
  return static_cast<std::int64_t>(nearest(metres / 50.0 + offset));
}

// A cell outside the route counts as taken, so nothing is ever written past either end.
bool free_at(const compilation& c, std::int64_t i) {
  return i >= 0 && i <= c.upper_bound() && is_free(c.percorso[static_cast<std::size_t>(i)]);
}

cella& at(compilation& c, std::int64_t i) {
  return c.percorso[static_cast<std::size_t>(i)];
}

// Refusal of a cell the entry needs: what stands there (and who put it) and what to change.
fault taken(const compilation& c, long_t code, long_t posizione, std::string_view what,
            std::int64_t cell) {
  return {code, posizione,
          std::string(what) + ": " + occupant(c, cell) + "; move one of the two by 50 m or more"};
}

}  // namespace

std::optional<fault> place_signal(compilation& c, const segnale_entry& e) {
  const auto [posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, given_tempo] = e;
  const std::int64_t i = cell_at(posizione, 1);
  if (!free_at(c, i))
    return taken(c, fault_code::signal_taken, posizione,
                 "signal at " + std::to_string(posizione) + " m", i);
  cella& s = at(c, i);
  s.tipo = tipo_cella::segnale;
  note_placement(c, i);
  s.valore4 = low_16(std::int64_t{rapp} * 10 + std::int64_t{sx} * 3 + dx);
  s.valore1 = low_16(std::int64_t{s1} * 10 + d1);
  s.valore2 = low_16(std::int64_t{s2} * 10 + d2);
  s.valore3 = low_16(std::int64_t{s3} * 10 + d3);
  // Times from 1 to 100 are stored as 101; 0 and below, and 101 and above, as given.
  const long_t tempo = given_tempo >= 1 && given_tempo <= 100 ? 101 : given_tempo;
  s.tempo = sx == 2 ? low_byte(tempo) : 0;

  // Approach marks go on whatever the cell holds; before the start of the route they are dropped.
  const std::int64_t aspect = std::int64_t{sx} * 3 + dx;
  for (int n = 1; n <= 4; ++n) {
    const std::int64_t mark = i - 2 * n;
    if (mark >= 0) at(c, mark).preavviso = low_byte(aspect * 10 + n);
  }
  return std::nullopt;
}

std::optional<fault> place_restriction(compilation& c, const rallentamento_entry& entry) {
  const auto [x, v, l, f_tt, given_f_ta, d_v] = entry;
  const std::string head = "restriction at " + std::to_string(x) + " m";
  long_t f_ta = given_f_ta;
  const std::int64_t s = cell_at(x, 1);
  const std::int64_t e = cell_at(double(x) + double(l), 1);
  const bool has_warning = x > 1500;
  const std::int64_t w = cell_at(double(x) - 1200, 1);

  if (has_warning) {
    if (!free_at(c, w))
      return taken(c, fault_code::warning_taken, x,
                   head + ", its warning board 1200 m before the start", w);
  } else {
    f_ta = 0;  // too close to the start of the route for a warning and its approach
  }
  if (!free_at(c, s))
    return taken(c, fault_code::restriction_start_taken, x, head + ", its start", s);
  if (e > c.upper_bound()) {
    return fault{fault_code::restriction_end_taken, x,
                 head + " over " + std::to_string(l) + " m ends in " + cell_words(e) +
                     ", past the route's last cell " + std::to_string(c.upper_bound()) +
                     "; shorten the restriction"};
  }
  if (!free_at(c, e))
    return taken(c, fault_code::restriction_end_taken, x,
                 head + ", its end " + std::to_string(l) + " m after the start", e);

  const integer_t speed = low_16(v);
  at(c, e).tipo = tipo_cella::fine_rallentamento;
  note_placement(c, e);
  if (d_v != 0) at(c, e).valore2 = low_16(d_v);
  at(c, s).tipo = tipo_cella::inizio_rallentamento;  // when e == s the start wins
  note_placement(c, s);
  if (d_v != 0) at(c, s).valore2 = low_16(d_v);
  if (has_warning) {
    cella& warning = at(c, w);
    warning.tipo = tipo_cella::avviso_rallentamento;
    note_placement(c, w);
    if (d_v != 0) warning.valore2 = low_16(d_v);
    warning.valore1 = speed;
  }
  at(c, s).valore1 = speed;
  at(c, e).valore1 = speed;
  at(c, s).valore3 = low_16(f_tt);
  at(c, e).valore3 = low_16(f_tt);

  if (f_ta == 0) return std::nullopt;
  const std::int64_t q = cell_at(double(x) - 1200, 0);
  for (int i = 0; i <= 3; ++i) {
    if (!free_at(c, q - i))
      return taken(c, fault_code::approach_taken, x,
                   head + ", its approach cells before the warning board", q - i);
  }
  for (int i = 0; i <= 3; ++i) {
    cella& a = at(c, q - i);
    a.tipo = tipo_cella::preavviso_rallentamento;
    note_placement(c, q - i);
    a.valore1 = static_cast<integer_t>(i + 1);
    if (d_v != 0) a.valore2 = static_cast<integer_t>(i + 1);
  }
  return std::nullopt;
}

}  // namespace scenario
