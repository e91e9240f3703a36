#include "reader/train_scenario.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "model/numeric.h"
#include "reader/entry_scan.h"
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

class train_reader {
 public:
  train_reader(compilation& c, field_reader& fields, long_t indice_cartello)
      : c_(c), fields_(fields), indice_cartello_(indice_cartello) {}

  void run() {
    // Everything before "[generale]" is passed over; at least one field is read, so an empty
    // file fails here. A file without the section reads no entry and still runs the end steps.
    find_section(fields_, "[generale]");
    flow f = flow::go_on;
    while (f == flow::go_on) f = entry();
    if (f == flow::end_steps) end_steps();
  }

 private:
  flow entry() {
    // Up to two separator fields are passed over; a third is taken as the key.
    std::optional<std::string> text = next_key(fields_, 2, separator_end::tested);
    if (!text) return flow::end_steps;
    c_.riga_corrente = *text;
    const key_field key(std::move(*text));
    const source_point key_at = fields_.where();
    const std::size_t entries_before = c_.entries_read.size();
    bool matched = false;

    // A key holding the words of several entries runs each of them, in this order.
    voce_generale& treno_e_percorso = c_.voci_generali[voce::treno_e_percorso];
    voce_generale& treno = c_.voci_generali[voce::treno];
    if (key.has("frenata") && key.has("massa")) {
      matched = true;
      treno_e_percorso.inizio = fields_.read_long();
    }
    if (key.has("vetture")) {
      matched = true;
      treno_e_percorso.posizione = fields_.read_long();
    }
    if (key.has("velocit")) {
      if (flow f = velocita(); f != flow::go_on) return f;
    }
    if (key.has("aderenza")) {
      if (flow f = aderenza(); f != flow::go_on) return f;
    }
    if (key.has("orologio")) {
      matched = true;
      treno.intero3 = fields_.read_integer();
      treno.intero4 = fields_.read_integer();
      treno.intero5 = fields_.read_integer();
    }
    if (key.has("sabbia")) {
      matched = true;
      treno.intero1 = fields_.read_integer();
    }
    if (key.has("segnale")) {
      if (flow f = segnale(); f != flow::go_on) return f;
    }
    if (key.has("rallentamento")) {
      if (flow f = rallentamento(); f != flow::go_on) return f;
    }
    if (key.has("abbattimento")) {
      if (flow f = abbattimento(); f != flow::go_on) return f;
    }
    if (key.has("stazione")) return stazione();
    // The entries with a position log themselves.
    if (!matched && c_.entries_read.size() == entries_before &&
        !(contains(key.text(), "[") && contains(key.text(), "]")))
      note_passed_over(c_, source_file::train_scenario, key.text(), key_at);
    return flow::go_on;
  }

  // The entry's position must leave 100 m of cells after it.
  bool outside_route(long_t p) const { return (double(p) + 100) / 50 > c_.upper_bound(); }

  // Records a refusal against the field at fault: code 15 ends the reading through its end steps,
  // any other stops it at once.
  flow refuse(const fault& f, source_point at) {
    record_fault(c_, f, source_file::train_scenario, at);
    return f.code == 15 ? flow::end_steps : flow::stop;
  }

  flow out_of_route(std::string_view what, long_t p, source_point at) {
    return refuse(outside_route_fault(c_, what, p, 100), at);
  }

  // Reads an entry's position, notes where it stands and starts the entry there.
  long_t read_position(std::string_view list, source_point& at) {
    const long_t p = fields_.read_long();
    at = fields_.where();
    begin_entry(c_, source_file::train_scenario, list, p, at);
    return p;
  }

  // Writes the cells from the cursor up to cell n - 1, and the cursor's cell at least once; it
  // never writes the last cell. Entries whose positions do not increase push the cursor one
  // cell on each.
  template <class Write>
  void fill(std::int64_t& cursor, long_t n, Write write) {
    if (n > 0) fill_cells(c_.percorso, cursor, n, std::int64_t{c_.upper_bound()} - 1, write);
  }

  // Writes from the cursor up to three cells before the last, and the cursor's cell at least once
  // when it exists.
  template <class Write>
  void tail(std::int64_t& cursor, Write write) {
    fill_cells(c_.percorso, cursor, c_.upper_bound() - 2, c_.upper_bound(), write);
  }

  // Speed limits are stored in units of 5 km/h.
  void write_speed(cella& cell) const {
    cell.velocita_limite = nearest_as<byte_t>(current_speed_ / 5.0);
  }
  void write_adhesion(cella& cell) const { cell.aderenza = low_byte(current_adhesion_); }

  flow velocita() {
    source_point at;
    const long_t p = read_position("speed limit", at);
    const long_t v = fields_.read_long();
    if (outside_route(p)) return out_of_route("speed limit", p, at);
    fill(speed_cursor_, nearest_as<long_t>(p / 50.0), [this](cella& x) { write_speed(x); });
    current_speed_ = v;
    return flow::go_on;
  }

  flow aderenza() {
    source_point at;
    const long_t p = read_position("adhesion", at);
    const long_t a = fields_.read_long();
    if (outside_route(p)) return out_of_route("adhesion", p, at);
    fill(adhesion_cursor_, nearest_as<long_t>(p / 50.0), [this](cella& x) { write_adhesion(x); });
    current_adhesion_ = a;
    return flow::go_on;
  }

  // After a signal or a restriction any code stops the reading, even one left from before the
  // entry (a 15 of the line description): the entry's position then marks where it stopped.
  flow after_placing(const std::optional<fault>& refused, long_t posizione, source_point at) {
    if (refused) return refuse(*refused, at);
    if (c_.codice_errore <= 0) return flow::go_on;
    const long_t still_set = c_.codice_errore;
    record_fault(c_,
                 {still_set, posizione,
                  "the reading stops at this entry because fault " + std::to_string(still_set) +
                      " is still set"},
                 source_file::train_scenario, at, severity::note);
    return flow::stop;
  }

  flow segnale() {
    segnale_entry e;
    source_point at;
    e.posizione = read_position("signal", at);
    e.sx = fields_.read_long();
    e.s1 = fields_.read_long();
    e.s2 = fields_.read_long();
    e.s3 = fields_.read_long();
    e.rapp = fields_.read_long();
    e.dx = fields_.read_long();
    e.d1 = fields_.read_long();
    e.d2 = fields_.read_long();
    e.d3 = fields_.read_long();
    e.tempo = fields_.read_long();
    if (outside_route(e.posizione)) return out_of_route("signal", e.posizione, at);
    return after_placing(memo_segnale(c_, e), e.posizione, at);
  }

  flow rallentamento() {
    rallentamento_entry e;
    source_point at;
    e.x = read_position("restriction", at);
    e.v = fields_.read_long();
    e.l = fields_.read_long();
    e.f_tt = fields_.read_long();
    e.f_ta = fields_.read_long();
    e.d_v = fields_.read_long();
    if (outside_route(e.x)) return out_of_route("restriction", e.x, at);
    return after_placing(memo_rallentamento(c_, e), e.x, at);
  }

  flow abbattimento() {
    source_point at;
    const long_t p = read_position("code cut point", at);
    const long_t w = fields_.read_long();
    if (outside_route(p)) return out_of_route("code cut point", p, at);
    // A span-style cell, one before a signal at the same position.
    const auto i = static_cast<std::int64_t>(nearest(p / 50.0));
    if (i < 0 || i > c_.upper_bound() || !is_free(c_.percorso[static_cast<std::size_t>(i)])) {
      return refuse({7, p,
                     "code cut point at " + std::to_string(p) + " m: " + occupant(c_, i) +
                         "; move one of the two by 50 m or more"},
                    at);
    }
    note_placement(c_, i);
    cella& cell = c_.percorso[static_cast<std::size_t>(i)];
    if (w > 0) {
      cell.tipo = tipo_cella::abbattimento;
      cell.valore1 = low_16(w);
    } else {
      cell.tipo = tipo_cella::abbattimento_nullo;
    }
    return flow::go_on;
  }

  flow stazione() {
    source_point at;
    const long_t posizione = read_position("station", at);
    const std::optional<fault> refused =
        memo_stazione(c_, k_, posizione, fields_, indice_cartello_);
    return refused ? refuse(*refused, at) : flow::go_on;
  }

  void end_steps() {
    tail(speed_cursor_, [this](cella& x) { write_speed(x); });
    tail(adhesion_cursor_, [this](cella& x) { write_adhesion(x); });
    // The progressives come from the line description, whose lines are no longer at hand.
    for (int r : {voce::progressiva_tre, voce::progressiva_due, voce::progressiva_uno}) {
      const voce_generale& v = c_.voci_generali[r];
      if (v.inizio % 50 != 0 || v.fine % 50 != 0) {
        record_fault(c_,
                     {2, std::nullopt,
                      "kilometre progressive at " + std::to_string(v.inizio) + " m with value " +
                          std::to_string(v.fine) +
                          " (after ordering and the flag's 100): position and value must both be "
                          "multiples of 50"},
                     source_file::line_description, 0);
        break;
      }
    }
  }

  compilation& c_;
  field_reader& fields_;
  const long_t indice_cartello_;

  std::int64_t speed_cursor_ = 0;
  long_t current_speed_ = 0;
  std::int64_t adhesion_cursor_ = 0;
  long_t current_adhesion_ = 0;
  long_t k_ = voce::prima_stazione;  // record of the next station
};

}  // namespace

void read_train_scenario(compilation& c, field_reader& fields, long_t indice_cartello) {
  train_reader(c, fields, indice_cartello).run();
}

}  // namespace scenario
