#include "reader/stations.h"

#include <cstdint>
#include <string>

#include "model/fault_codes.h"
#include "model/numeric.h"
#include "reader/entry_scan.h"

namespace scenario {

namespace {

// Sums of Longs are Longs: a result that does not fit fails the reading.
long_t as_long(std::int64_t v) {
  return checked<long_t>(static_cast<double>(v));
}

// The station's area from its position and length, the rules that clear the fifth and sixth
// values, the cells it marks, and its spacing from the station before.
std::optional<fault> lay_out_station(compilation& c, long_t& k, voce_generale& r, long_t length,
                                     long_t next_board_record) {
  const std::int64_t p = r.posizione;
  const std::int64_t l = length;
  switch (r.tipo) {
    case 5:
    case 6:
      r.inizio = as_long(p - l);
      r.fine = as_long(p + 150);
      r.ottetto3 = 0;
      break;
    case 7:
    case 8:
      r.inizio = as_long(p - l);
      r.fine = as_long(p + l);
      r.ottetto3 = 0;
      break;
    default:
      r.inizio = as_long(p - l / 2);
      r.fine = as_long(p + l / 2 + (r.ottetto3 != 0 ? 50 : 0));
      break;
  }
  if (length < 600) r.ottetto4 = 0;
  if (k == voce::prima_stazione) {
    // Cleared only now, so that its 50 m stay in the first station's end.
    r.ottetto3 = 0;
    r.ottetto4 = 0;
  }

  // Kinds from 25 up are stops without an end cell: they only take part in spacing and numbering.
  if (r.tipo < 25) {
    // Both ends are multiples of 50, so the division is exact.
    const std::int64_t end_cell = r.fine / 50 - 1;
    if (end_cell > c.upper_bound()) {
      return fault{fault_code::outside_route, r.posizione,
                   "station at " + std::to_string(r.posizione) + " m: its area ends at " +
                       std::to_string(r.fine) + " m, so its end cell " + std::to_string(end_cell) +
                       " lies past the route's last cell " + std::to_string(c.upper_bound()) +
                       "; shorten the station or move it"};
    }
    if (r.tipo != 5 && r.tipo != 6) {
      for (int n = 1; n <= 4; ++n) {
        const std::int64_t i = r.fine / 50 - n - 1;
        if (i > 1) c.percorso[static_cast<std::size_t>(i)].preavviso = static_cast<byte_t>(80 + n);
      }
    }
    if (end_cell <= 1) {
      return fault{fault_code::station_end_too_early, std::nullopt,
                   "station at " + std::to_string(r.posizione) + " m: its area ends at " +
                       std::to_string(r.fine) + " m, so its end cell would be cell " +
                       std::to_string(end_cell) +
                       ", which must be above 1; place the station so that its area ends "
                       "at 150 m or later"};
    }
    cella& fine = c.percorso[static_cast<std::size_t>(end_cell)];
    note_placement(c, end_cell);
    fine.tipo = tipo_cella::stazione;
    fine.valore1 = static_cast<integer_t>(k);
  }

  if (k > voce::prima_stazione &&
      as_long(std::int64_t{r.inizio} - 350) < c.voci_generali[k - 1].fine)
    return fault{fault_code::stations_too_close, r.posizione,
                 "station " + std::to_string(k) + " at " + std::to_string(r.posizione) +
                     " m: its area starts at " + std::to_string(r.inizio) +
                     " m, less than 350 m after the area of station " + std::to_string(k - 1) +
                     " ends at " + std::to_string(c.voci_generali[k - 1].fine) +
                     " m; move it so that its area starts at " +
                     std::to_string(std::int64_t{c.voci_generali[k - 1].fine} + 350) +
                     " m or later"};

  ++k;
  if (k >= next_board_record) {
    return fault{fault_code::too_many_stations, std::nullopt,
                 "station " + std::to_string(k - 1) + " at " + std::to_string(r.posizione) +
                     " m: the station records would reach the text-board records, which start "
                     "at record " +
                     std::to_string(next_board_record) + " (" +
                     std::to_string(voce::primo_cartello - next_board_record) +
                     " text boards); remove stations or text boards"};
  }
  return std::nullopt;
}

}  // namespace

long_t station_time(long_t hours, long_t minutes, long_t seconds) {
  return as_long(std::int64_t{hours} * 3600 + std::int64_t{minutes} * 60 + seconds);
}

std::optional<fault> station_position_fault(const compilation& c, long_t posizione) {
  // 800 m of room after the position, for the area and its end cell.
  if ((double(posizione) + 800) / 50 > c.upper_bound())
    return outside_route_fault(c, "station", posizione, 800);
  if (posizione % 50 != 0) {
    const long_t below = posizione - posizione % 50;
    return fault{fault_code::station_position_grid, posizione,
                 "station position " + std::to_string(posizione) +
                     " m is not a multiple of 50; use " + std::to_string(below) + " or " +
                     std::to_string(below + (posizione < 0 ? -50 : 50))};
  }
  return std::nullopt;
}

std::optional<fault> station_length_fault(long_t posizione, long_t lunghezza, source_point at) {
  if (lunghezza % 100 == 0) return std::nullopt;
  const long_t below = lunghezza - lunghezza % 100;
  return fault{fault_code::station_length_grid, posizione,
               "station length " + std::to_string(lunghezza) + " m is not a multiple of 100; use " +
                   std::to_string(below) + " or " +
                   std::to_string(below + (lunghezza < 0 ? -100 : 100)),
               at};
}

void store_station_values(voce_generale& r, const stazione_entry& e) {
  r.posizione = e.posizione;
  r.tipo = e.tipo;
  r.ottetto0 = e.ottetto0;
  r.ottetto4 = e.ottetto4;
  r.ottetto3 = e.ottetto3;
  r.intero1 = e.intero1;
  r.intero2 = e.intero2;
  r.ottetto1 = e.ottetto1;
  r.intero3 = e.intero3;
  r.intero4 = e.intero4;
  r.intero5 = e.intero5;
  r.ottetto2 = e.ottetto2;
  r.orario = e.orario;
  r.nome = e.nome;
}

std::optional<fault> place_station(compilation& c, long_t& k, const stazione_entry& e,
                                   long_t next_board_record) {
  voce_generale& r = c.voci_generali[static_cast<std::size_t>(k)];
  store_station_values(r, e);
  return lay_out_station(c, k, r, e.lunghezza, next_board_record);
}

}  // namespace scenario
