#include "reader/stations.h"

#include <cstdint>

#include "model/numeric.h"

namespace scenario {

namespace {

void refuse(compilation& c, long_t code, std::optional<long_t> position, int line) {
  record_fault(c, code, position, severity::error, source_file::train_scenario, line);
}

// Sums of Longs are Longs: a result that does not fit fails the reading.
long_t as_long(std::int64_t v) {
  return checked<long_t>(static_cast<double>(v));
}

}  // namespace

long_t station_time(long_t hours, long_t minutes, long_t seconds) {
  return as_long(std::int64_t{hours} * 3600 + std::int64_t{minutes} * 60 + seconds);
}

station_flow station_position(compilation& c, long_t k, long_t posizione, int line) {
  c.voci_generali[k].posizione = posizione;
  // 800 m of room after the position, for the area and its end cell.
  if ((double(posizione) + 800) / 50 > c.upper_bound()) {
    refuse(c, 15, posizione, line);
    return station_flow::end_steps;
  }
  if (posizione % 50 != 0) {
    refuse(c, 8, posizione, line);
    return station_flow::stop;
  }
  return station_flow::go_on;
}

station_flow station_length(compilation& c, long_t k, long_t posizione, byte_t tipo, long_t length,
                            int line) {
  c.voci_generali[k].tipo = tipo;
  if (length % 100 != 0) {
    refuse(c, 9, posizione, line);
    return station_flow::stop;
  }
  return station_flow::go_on;
}

station_flow station_finish(compilation& c, long_t& k, const station_entry& e,
                            long_t indice_cartello, int line) {
  voce_generale& r = c.voci_generali[k];
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
  r.orario = station_time(e.hours, e.minutes, e.seconds);
  r.nome = e.nome;

  const std::int64_t p = e.posizione;
  const std::int64_t l = e.length;
  switch (e.tipo) {
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
  if (e.length < 600) r.ottetto4 = 0;
  if (k == voce::prima_stazione) {
    // Cleared only now, so that its 50 m stay in the first station's end.
    r.ottetto3 = 0;
    r.ottetto4 = 0;
  }

  // Kinds from 25 up are stops without an end cell: they only take part in spacing and numbering.
  if (e.tipo < 25) {
    // Both ends are multiples of 50, so the division is exact.
    const std::int64_t fine_cella = r.fine / 50 - 1;
    if (fine_cella > c.upper_bound()) {
      refuse(c, 15, e.posizione, line);
      return station_flow::end_steps;
    }
    if (e.tipo != 5 && e.tipo != 6) {
      for (int n = 1; n <= 4; ++n) {
        const std::int64_t i = r.fine / 50 - n - 1;
        if (i > 1) c.percorso[static_cast<std::size_t>(i)].preavviso = static_cast<byte_t>(80 + n);
      }
    }
    if (fine_cella <= 1) {
      refuse(c, 24, std::nullopt, line);
      return station_flow::stop;
    }
    cella& fine = c.percorso[static_cast<std::size_t>(fine_cella)];
    fine.tipo = tipo_cella::stazione;
    fine.valore1 = static_cast<integer_t>(k);
  }

  if (k > voce::prima_stazione &&
      as_long(std::int64_t{r.inizio} - 350) < c.voci_generali[k - 1].fine) {
    refuse(c, 22, e.posizione, line);
    return station_flow::stop;
  }

  ++k;
  if (k >= indice_cartello) {
    refuse(c, 10, std::nullopt, line);
    return station_flow::stop;
  }
  return station_flow::go_on;
}

station_flow memo_stazione(compilation& c, long_t& k, const station_entry& e,
                           long_t indice_cartello, int line) {
  station_flow f = station_position(c, k, e.posizione, line);
  if (f == station_flow::go_on) f = station_length(c, k, e.posizione, e.tipo, e.length, line);
  if (f == station_flow::go_on) f = station_finish(c, k, e, indice_cartello, line);
  return f;
}

}  // namespace scenario
