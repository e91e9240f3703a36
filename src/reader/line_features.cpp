#include "reader/line_features.h"

#include <cstdint>
#include <string>

#include "model/fault_codes.h"
#include "model/numeric.h"
#include "reader/entry_scan.h"

namespace scenario {

namespace {

struct progressiva {
  long_t inizio = 0;
  long_t fine = 0;
  long_t posizione = 0;
};

progressiva take(const voce_generale& v) {
  return {v.inizio, v.fine, v.posizione};
}

void put(voce_generale& v, const progressiva& p) {
  v.inizio = p.inizio;
  v.fine = p.fine;
  v.posizione = p.posizione;
}

}  // namespace

void order_progressives(compilation& c) {
  const progressiva r81 = take(c.voci_generali[voce::progressiva_tre]);
  const progressiva r82 = take(c.voci_generali[voce::progressiva_due]);
  const progressiva r83 = take(c.voci_generali[voce::progressiva_uno]);
  const long_t a81 = r81.inizio, a82 = r82.inizio, a83 = r83.inizio;

  progressiva ordered[3];
  const progressiva zero{};
  if (std::int64_t{a81} + a82 + a83 != 0) {
    // On a tie of the two lower ones, the record read into the higher number comes first.
    if (a81 > a82 && a81 > a83) {
      ordered[0] = r81;
      ordered[1] = a83 >= a82 ? r83 : r82;
      ordered[2] = a83 >= a82 ? r82 : r83;
    } else if (a82 > a81 && a82 > a83) {
      ordered[0] = r82;
      ordered[1] = a83 >= a81 ? r83 : r81;
      ordered[2] = a83 >= a81 ? r81 : r83;
    } else if (a83 > a81 && a83 > a82) {
      ordered[0] = r83;
      ordered[1] = a82 >= a81 ? r82 : r81;
      ordered[2] = a82 >= a81 ? r81 : r82;
    } else {
      ordered[0] = ordered[1] = ordered[2] = zero;
    }
  } else if (r83.fine > 0) {
    ordered[0] = r83;
    ordered[1] = r82;
    ordered[2] = r81;
  } else if (r82.fine > 0) {
    ordered[0] = r82;
    ordered[1] = r81;
    ordered[2] = r83;
  } else if (r81.fine > 0) {
    ordered[0] = r81;
    ordered[1] = r82;
    ordered[2] = r83;
  } else {
    ordered[0] = ordered[1] = ordered[2] = zero;
  }

  for (progressiva& p : ordered) {
    if (p.posizione == 1) p.fine = checked<long_t>(double(std::int64_t{p.fine} + 100));
  }
  put(c.voci_generali[voce::progressiva_tre], ordered[0]);
  put(c.voci_generali[voce::progressiva_due], ordered[1]);
  put(c.voci_generali[voce::progressiva_uno], ordered[2]);
}

std::optional<fault> place_mountain_span(compilation& c, mountain_spans& spans,
                                         const montagna_entry& e) {
  const auto [inizio, fine, given_tipo] = e;
  long_t tipo = given_tipo;
  const double last = nearest(fine / 50.0 - 1);
  if (inizio < 0) return outside_route_fault(c, "mountain span", inizio, 0);
  if (last > c.upper_bound()) {
    return fault{fault_code::outside_route, fine,
                 "mountain span from " + std::to_string(inizio) + " m to " + std::to_string(fine) +
                     " m ends past the route's cells, which end at metre " +
                     std::to_string(std::int64_t{c.upper_bound()} * 50 + 49) +
                     "; end the span at metre " +
                     std::to_string(std::int64_t{c.upper_bound()} * 50 + 74) + " or before"};
  }
  if (spans.count >= most_mountain_spans) {
    return fault{fault_code::too_many_spans, inizio,
                 "mountain span at " + std::to_string(inizio) + " m is the 81st: at most " +
                     std::to_string(most_mountain_spans) +
                     " spans are kept; join neighbouring spans into one"};
  }

  bool marked = false;
  if (tipo > 10) {
    tipo -= 10;
    marked = true;
  }
  const long_t n = ++spans.count;
  spans.inizio[n] = inizio;
  spans.fine[n] = fine;
  // Spans close together (or overlapping) read as one continuous relief.
  if (n > 1 && std::int64_t{inizio} - spans.fine[n - 1] <= 150) tipo = 3;

  const double first = nearest(inizio / 50.0);
  const byte_t kind = low_byte(tipo);
  long_t counted = 1;
  for (auto i = static_cast<std::int64_t>(first); i <= static_cast<std::int64_t>(last);
       ++i, ++counted) {
    cella& cell = c.percorso[static_cast<std::size_t>(i)];
    cell.montagna = kind;
    // A scenery mark every 200 metres, only where nothing else stands.
    if (marked && counted % 4 == 0 && cell.tipo == tipo_cella::nulla) {
      cell.tipo = tipo_cella::montagna;
      note_placement(c, i);
    }
  }
  return std::nullopt;
}

std::optional<fault> place_speed_board(compilation& c, const indicatori_entry& e) {
  const auto& [posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced] = e;
  const double index = nearest(posizione / 50.0 + 1);
  if (posizione < 0 || index > c.upper_bound())
    return outside_route_fault(c, "speed-limit board", posizione, 100);
  cella& cell = c.percorso[static_cast<std::size_t>(index)];
  if (!is_free(cell)) {
    return fault{fault_code::speed_board_taken, posizione,
                 "speed-limit board at " + std::to_string(posizione) +
                     " m: " + occupant(c, static_cast<std::int64_t>(index)) +
                     "; move one of the two by 50 m or more"};
  }

  // Everything is computed before the cell is touched, so a value that does not fit leaves it as
  // it was.
  const integer_t v1 = nearest_as<integer_t>(vad / 5.0 + vas * 20.0);
  const integer_t v2 = nearest_as<integer_t>(vbd / 5.0 + vbs * 20.0);
  const integer_t v3 = nearest_as<integer_t>(vcd / 5.0 + vcs * 20.0);
  const integer_t v4 = checked<integer_t>(double(std::int32_t{strisces} * 10 + strisced));
  cell.tipo = tipo_cella::indicatori_v_max;
  note_placement(c, static_cast<std::int64_t>(index));
  cell.valore1 = v1;
  cell.valore2 = v2;
  cell.valore3 = v3;
  cell.valore4 = v4;
  return std::nullopt;
}

}  // namespace scenario
