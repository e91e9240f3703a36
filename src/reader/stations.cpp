#include "reader/stations.h"

#include <cstdint>

#include "model/numeric.h"

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
    if (fine_cella > c.upper_bound()) return fault{15, r.posizione, {}};
    if (r.tipo != 5 && r.tipo != 6) {
      for (int n = 1; n <= 4; ++n) {
        const std::int64_t i = r.fine / 50 - n - 1;
        if (i > 1) c.percorso[static_cast<std::size_t>(i)].preavviso = static_cast<byte_t>(80 + n);
      }
    }
    if (fine_cella <= 1) return fault{24, std::nullopt, {}};
    cella& fine = c.percorso[static_cast<std::size_t>(fine_cella)];
    fine.tipo = tipo_cella::stazione;
    fine.valore1 = static_cast<integer_t>(k);
  }

  if (k > voce::prima_stazione &&
      as_long(std::int64_t{r.inizio} - 350) < c.voci_generali[k - 1].fine)
    return fault{22, r.posizione, {}};

  ++k;
  if (k >= indice_cartello) return fault{10, std::nullopt, {}};
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
  if ((double(r.posizione) + 800) / 50 > c.upper_bound()) return fault{15, r.posizione, {}};
  if (r.posizione % 50 != 0) return fault{8, r.posizione, {}};

  r.tipo = values.read_byte();
  const long_t length = values.read_long();
  if (length % 100 != 0) return fault{9, r.posizione, {}};

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
