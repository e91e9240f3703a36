#include "reader/stations.h"

#include <cstdint>
#include <string>

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
std::optional<fault> place_station(compilation& c, long_t& k, voce_generale& r, long_t length,
                                   long_t indice_cartello) {
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
    const std::int64_t fine_cella = r.fine / 50 - 1;
    if (fine_cella > c.upper_bound()) {
      return fault{15, r.posizione,
                   "station at " + std::to_string(r.posizione) + " m: its area ends at " +
                       std::to_string(r.fine) + " m, so its end cell " +
                       std::to_string(fine_cella) + " lies past the route's last cell " +
                       std::to_string(c.upper_bound()) + "; shorten the station or move it"};
    }
    if (r.tipo != 5 && r.tipo != 6) {
      for (int n = 1; n <= 4; ++n) {
        const std::int64_t i = r.fine / 50 - n - 1;
        if (i > 1) c.percorso[static_cast<std::size_t>(i)].preavviso = static_cast<byte_t>(80 + n);
      }
    }
    if (fine_cella <= 1) {
      return fault{24, std::nullopt,
                   "station at " + std::to_string(r.posizione) + " m: its area ends at " +
                       std::to_string(r.fine) + " m, so its end cell would be cell " +
                       std::to_string(fine_cella) +
                       ", which must be above 1; place the station so that its area ends "
                       "at 150 m or later"};
    }
    cella& fine = c.percorso[static_cast<std::size_t>(fine_cella)];
    note_placement(c, fine_cella);
    fine.tipo = tipo_cella::stazione;
    fine.valore1 = static_cast<integer_t>(k);
  }

  if (k > voce::prima_stazione &&
      as_long(std::int64_t{r.inizio} - 350) < c.voci_generali[k - 1].fine)
    return fault{22, r.posizione,
                 "station " + std::to_string(k) + " at " + std::to_string(r.posizione) +
                     " m: its area starts at " + std::to_string(r.inizio) +
                     " m, less than 350 m after the area of station " + std::to_string(k - 1) +
                     " ends at " + std::to_string(c.voci_generali[k - 1].fine) +
                     " m; move it so that its area starts at " +
                     std::to_string(std::int64_t{c.voci_generali[k - 1].fine} + 350) +
                     " m or later"};

  ++k;
  if (k >= indice_cartello) {
    return fault{10, std::nullopt,
                 "station " + std::to_string(k - 1) + " at " + std::to_string(r.posizione) +
                     " m: the station records would reach the text-board records, which start "
                     "at record " +
                     std::to_string(indice_cartello) + " (" +
                     std::to_string(voce::primo_cartello - indice_cartello) +
                     " text boards); remove stations or text boards"};
  }
  return std::nullopt;
}

}  // namespace

long_t station_time(long_t hours, long_t minutes, long_t seconds) {
  return as_long(std::int64_t{hours} * 3600 + std::int64_t{minutes} * 60 + seconds);
}

std::optional<fault> memo_stazione(compilation& c, long_t& k, long_t posizione,
                                   field_reader& values, long_t indice_cartello) {
  voce_generale& r = c.voci_generali[k];
  r.posizione = posizione;
  // 800 m of room after the position, for the area and its end cell.
  if ((double(r.posizione) + 800) / 50 > c.upper_bound())
    return outside_route_fault(c, "station", r.posizione, 800);
  if (r.posizione % 50 != 0) {
    const long_t below = r.posizione - r.posizione % 50;
    return fault{8, r.posizione,
                 "station position " + std::to_string(r.posizione) +
                     " m is not a multiple of 50; use " + std::to_string(below) + " or " +
                     std::to_string(below + (r.posizione < 0 ? -50 : 50))};
  }

  r.tipo = values.read_byte();
  const long_t length = values.read_long();
  if (length % 100 != 0) {
    const long_t below = length - length % 100;
    return fault{9, r.posizione,
                 "station length " + std::to_string(length) + " m is not a multiple of 100; use " +
                     std::to_string(below) + " or " +
                     std::to_string(below + (length < 0 ? -100 : 100)),
                 values.where()};
  }

  r.ottetto0 = values.read_byte();
  r.ottetto4 = values.read_byte();
  r.ottetto3 = values.read_byte();
  r.intero1 = values.read_integer();
  r.intero2 = values.read_integer();
  r.ottetto1 = values.read_byte();
  r.intero3 = values.read_integer();
  r.intero4 = values.read_integer();
  r.intero5 = values.read_integer();
  r.ottetto2 = values.read_byte();
  const long_t hours = values.read_long();
  const long_t minutes = values.read_long();
  const long_t seconds = values.read_long();
  // A time that does not fit fails here, before the name is read.
  r.orario = station_time(hours, minutes, seconds);
  r.nome = values.read_text();
  return place_station(c, k, r, length, indice_cartello);
}

}  // namespace scenario
