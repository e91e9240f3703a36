#include "reader/train_scenario.h"

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/numeric.h"
#include "reader/signals.h"
#include "reader/stations.h"

namespace scenario {

namespace {

// How the reading goes on after one step.
enum class flow {
  go_on,
  end_steps,  // end of the file, or code 15: the tails and the progressive check still run
  stop,       // a refused entry: nothing more is read or written
};

flow from_station(station_flow f) {
  switch (f) {
    case station_flow::go_on:
      return flow::go_on;
    case station_flow::end_steps:
      return flow::end_steps;
    case station_flow::stop:
      return flow::stop;
  }
  return flow::stop;
}

std::string lower(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return s;
}

bool has(const std::string& key, std::string_view word) {
  return key.find(word) != std::string::npos;
}

class train_reader {
 public:
  train_reader(compilation& c, field_reader& fields, long_t indice_cartello)
      : c_(c), fields_(fields), indice_cartello_(indice_cartello) {}

  void run() {
    // Everything before "[generale]" is passed over; at least one field is read, so an empty
    // file fails here.
    for (;;) {
      const std::string field = fields_.read_text();
      if (fields_.at_end() || has(lower(field), "[generale]")) break;
    }
    flow f = flow::go_on;
    while (f == flow::go_on) f = entry();
    if (f == flow::end_steps) end_steps();
  }

 private:
  flow entry() {
    if (fields_.at_end()) return flow::end_steps;
    std::string key = fields_.read_text();
    // The last field of the file is never acted on.
    if (fields_.at_end()) return flow::end_steps;
    // Up to two separator fields are passed over; a third is taken as the key.
    for (int i = 0; i < 2 && has(key, "-"); ++i) {
      key = fields_.read_text();
      if (fields_.at_end()) return flow::end_steps;
    }
    c_.riga_corrente = key;
    key = lower(key);

    // A key holding the words of several entries runs each of them, in this order.
    voce_generale& treno_e_percorso = c_.voci_generali[voce::treno_e_percorso];
    voce_generale& treno = c_.voci_generali[voce::treno];
    if (has(key, "frenata") && has(key, "massa")) treno_e_percorso.inizio = fields_.read_long();
    if (has(key, "vetture")) treno_e_percorso.posizione = fields_.read_long();
    if (has(key, "velocit")) {
      if (flow f = velocita(); f != flow::go_on) return f;
    }
    if (has(key, "aderenza")) {
      if (flow f = aderenza(); f != flow::go_on) return f;
    }
    if (has(key, "orologio")) {
      treno.intero3 = fields_.read_integer();
      treno.intero4 = fields_.read_integer();
      treno.intero5 = fields_.read_integer();
    }
    if (has(key, "sabbia")) treno.intero1 = fields_.read_integer();
    if (has(key, "segnale")) {
      if (flow f = segnale(); f != flow::go_on) return f;
    }
    if (has(key, "rallentamento")) {
      if (flow f = rallentamento(); f != flow::go_on) return f;
    }
    if (has(key, "abbattimento")) {
      if (flow f = abbattimento(); f != flow::go_on) return f;
    }
    if (has(key, "stazione")) return stazione();
    return flow::go_on;
  }

  // The entry's position must leave 100 m of cells after it.
  bool outside_route(long_t p) const { return (double(p) + 100) / 50 > c_.upper_bound(); }

  flow out_of_route(long_t p, int line) {
    record_fault(c_, 15, p, severity::error, source_file::train_scenario, line);
    return flow::end_steps;
  }

  // Writes the cells from the cursor up to cell n - 1, and the cursor's cell at least once; it
  // never writes the last cell. Entries whose positions do not increase push the cursor one
  // cell on each.
  template <class Write>
  void fill(long_t& cursor, long_t n, Write write) {
    if (n <= 0) return;
    do {
      if (cursor >= c_.upper_bound()) return;
      write(c_.percorso[static_cast<std::size_t>(cursor)]);
      ++cursor;
    } while (cursor < n);
  }

  // Writes from the cursor up to three cells before the last, and the cursor's cell at least once
  // when it exists.
  template <class Write>
  void tail(long_t& cursor, Write write) {
    do {
      if (cursor > c_.upper_bound()) return;
      write(c_.percorso[static_cast<std::size_t>(cursor)]);
      ++cursor;
    } while (cursor < c_.upper_bound() - 2);
  }

  // Speed limits are stored in units of 5 km/h.
  void write_speed(cella& cell) const {
    cell.velocita_limite = nearest_as<byte_t>(current_speed_ / 5.0);
  }
  void write_adhesion(cella& cell) const { cell.aderenza = low_byte(current_adhesion_); }

  flow velocita() {
    const long_t p = fields_.read_long();
    const int line = fields_.line();
    const long_t v = fields_.read_long();
    if (outside_route(p)) return out_of_route(p, line);
    fill(speed_cursor_, nearest_as<long_t>(p / 50.0), [this](cella& x) { write_speed(x); });
    current_speed_ = v;
    return flow::go_on;
  }

  flow aderenza() {
    const long_t p = fields_.read_long();
    const int line = fields_.line();
    const long_t a = fields_.read_long();
    if (outside_route(p)) return out_of_route(p, line);
    fill(adhesion_cursor_, nearest_as<long_t>(p / 50.0), [this](cella& x) { write_adhesion(x); });
    current_adhesion_ = a;
    return flow::go_on;
  }

  // After a signal or a restriction any code stops the reading, even one left from before the
  // entry (a 15 of the line description): the entry's position then marks where it stopped.
  flow after_placing(long_t code_before, long_t posizione, int line) {
    if (c_.codice_errore <= 0) return flow::go_on;
    if (c_.codice_errore != code_before) {
      record_fault(c_, c_.codice_errore, posizione, severity::error, source_file::train_scenario,
                   line);
    } else {
      c_.posizione_errore = posizione;
      c_.diagnostics.push_back({c_.codice_errore, posizione, severity::note,
                                source_file::train_scenario, line,
                                "the reading stops at this entry because fault " +
                                    std::to_string(c_.codice_errore) + " is still set"});
    }
    return flow::stop;
  }

  flow segnale() {
    const long_t posizione = fields_.read_long();
    const int line = fields_.line();
    long_t v[10];
    for (long_t& x : v) x = fields_.read_long();
    if (outside_route(posizione)) return out_of_route(posizione, line);
    const long_t before = c_.codice_errore;
    memo_segnale(c_, posizione, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
    return after_placing(before, posizione, line);
  }

  flow rallentamento() {
    const long_t x = fields_.read_long();
    const int line = fields_.line();
    long_t v[5];
    for (long_t& y : v) y = fields_.read_long();
    if (outside_route(x)) return out_of_route(x, line);
    const long_t before = c_.codice_errore;
    memo_rallentamento(c_, x, v[0], v[1], v[2], v[3], v[4]);
    return after_placing(before, x, line);
  }

  flow abbattimento() {
    const long_t p = fields_.read_long();
    const int line = fields_.line();
    const long_t w = fields_.read_long();
    if (outside_route(p)) return out_of_route(p, line);
    // A span-style cell, one before a signal at the same position.
    const auto i = static_cast<std::int64_t>(nearest(p / 50.0));
    if (i < 0 || i > c_.upper_bound() || !is_free(c_.percorso[static_cast<std::size_t>(i)])) {
      record_fault(c_, 7, p, severity::error, source_file::train_scenario, line);
      return flow::stop;
    }
    cella& cell = c_.percorso[static_cast<std::size_t>(i)];
    if (w > 0) {
      cell.tipo = tipo_cella::abbattimento;
      cell.valore1 = low_16(w);
    } else {
      cell.tipo = tipo_cella::abbattimento_nullo;
    }
    return flow::go_on;
  }

  // The values are read stage by stage, so that a refused position or length stops the reading
  // before the rest of the entry is read. Each value goes into the record as soon as it is read,
  // so a value that cannot be read leaves the ones before it stored.
  flow stazione() {
    voce_generale& r = c_.voci_generali[k_];
    station_entry e;
    e.posizione = fields_.read_long();
    const int line = fields_.line();
    if (flow f = from_station(station_position(c_, k_, e.posizione, line)); f != flow::go_on)
      return f;
    r.tipo = e.tipo = fields_.read_byte();
    e.length = fields_.read_long();
    if (flow f =
            from_station(station_length(c_, k_, e.posizione, e.tipo, e.length, fields_.line()));
        f != flow::go_on)
      return f;
    r.ottetto0 = e.ottetto0 = fields_.read_byte();
    r.ottetto4 = e.ottetto4 = fields_.read_byte();
    r.ottetto3 = e.ottetto3 = fields_.read_byte();
    r.intero1 = e.intero1 = fields_.read_integer();
    r.intero2 = e.intero2 = fields_.read_integer();
    r.ottetto1 = e.ottetto1 = fields_.read_byte();
    r.intero3 = e.intero3 = fields_.read_integer();
    r.intero4 = e.intero4 = fields_.read_integer();
    r.intero5 = e.intero5 = fields_.read_integer();
    r.ottetto2 = e.ottetto2 = fields_.read_byte();
    e.hours = fields_.read_long();
    e.minutes = fields_.read_long();
    e.seconds = fields_.read_long();
    // A time that does not fit fails here, before the name is read.
    r.orario = station_time(e.hours, e.minutes, e.seconds);
    r.nome = e.nome = fields_.read_text();
    return from_station(station_finish(c_, k_, e, indice_cartello_, line));
  }

  void end_steps() {
    tail(speed_cursor_, [this](cella& x) { write_speed(x); });
    tail(adhesion_cursor_, [this](cella& x) { write_adhesion(x); });
    // The progressives come from the line description, whose lines are no longer at hand.
    for (int r : {voce::progressiva_tre, voce::progressiva_due, voce::progressiva_uno}) {
      const voce_generale& v = c_.voci_generali[r];
      if (v.inizio % 50 != 0 || v.fine % 50 != 0) {
        record_fault(c_, 2, std::nullopt, severity::error, source_file::line_description, 0);
        break;
      }
    }
  }

  compilation& c_;
  field_reader& fields_;
  const long_t indice_cartello_;

  long_t speed_cursor_ = 0;
  long_t current_speed_ = 0;
  long_t adhesion_cursor_ = 0;
  long_t current_adhesion_ = 0;
  long_t k_ = voce::prima_stazione;  // record of the next station
};

}  // namespace

void read_train_scenario(compilation& c, field_reader& fields, long_t indice_cartello) {
  train_reader(c, fields, indice_cartello).run();
}

}  // namespace scenario
