#include "reader/train_scenario.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "model/fault_codes.h"
#include "model/numeric.h"
#include "reader/cut_points.h"
#include "reader/entry_scan.h"
#include "reader/signals.h"
#include "reader/stations.h"

namespace scenario {

namespace {

class train_reader {
 public:
  train_reader(compilation& c, field_reader& fields, long_t next_board_record)
      : c_(c), fields_(fields), next_board_record_(next_board_record) {}

  void run() {
    // Everything before "[generale]" is passed over; at least one field is read, so an empty
    // file fails here. A file without the section reads no entry and still runs the end steps.
    find_section(fields_, "[generale]");
    reading_flow flow = reading_flow::go_on;
    while (flow == reading_flow::go_on) {
      try {
        flow = entry();
      } catch (const reading_failure& failure) {
        // Reading on after a refusal, the next line is read; otherwise the reading ends here.
        if (!c_.read_on_after_refusal) throw;
        record_unreadable(c_, source_file::train_scenario, fields_, failure);
        fields_.skip_rest_of_line();
      }
    }
    if (flow == reading_flow::end_entries) end_steps();
  }

 private:
  reading_flow entry() {
    // Up to two separator fields are passed over; a third is taken as the key.
    std::optional<std::string> text = next_key(fields_, 2, separator_end::tested);
    if (!text) return reading_flow::end_entries;
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
      if (reading_flow flow = velocita(); flow != reading_flow::go_on) return flow;
    }
    if (key.has("aderenza")) {
      if (reading_flow flow = aderenza(); flow != reading_flow::go_on) return flow;
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
      if (reading_flow flow = segnale(); flow != reading_flow::go_on) return flow;
    }
    if (key.has("rallentamento")) {
      if (reading_flow flow = rallentamento(); flow != reading_flow::go_on) return flow;
    }
    if (key.has("abbattimento")) {
      if (reading_flow flow = abbattimento(); flow != reading_flow::go_on) return flow;
    }
    if (key.has("stazione")) return stazione();
    // The entries with a position log themselves.
    if (!matched && c_.entries_read.size() == entries_before && !is_bracketed(key.text()))
      note_passed_over(c_, source_file::train_scenario, key.text(), key_at);
    return reading_flow::go_on;
  }

  // The entry's position must leave 100 m of cells after it.
  bool outside_route(long_t p) const { return (double(p) + 100) / 50 > c_.upper_bound(); }

  // Reading on after a refusal, the rest of the entry's line is passed over with it.
  reading_flow refuse(const fault& f, source_point at) {
    const reading_flow flow = scenario::refuse(c_, source_file::train_scenario, f, at);
    if (c_.read_on_after_refusal) fields_.skip_rest_of_line();
    return flow;
  }

  reading_flow refuse_outside_route(std::string_view what, long_t p, source_point at) {
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

  reading_flow velocita() {
    source_point at;
    const long_t p = read_position("speed limit", at);
    const long_t v = fields_.read_long();
    if (outside_route(p)) return refuse_outside_route("speed limit", p, at);
    // The speed before this one fails here when it does not fit; a reading that goes on after it
    // starts from this one.
    try {
      fill(speed_cursor_, nearest_as<long_t>(p / 50.0), [this](cella& x) { write_speed(x); });
    } catch (const reading_failure&) {
      current_speed_ = v;
      throw;
    }
    current_speed_ = v;
    return reading_flow::go_on;
  }

  reading_flow aderenza() {
    source_point at;
    const long_t p = read_position("adhesion", at);
    const long_t a = fields_.read_long();
    if (outside_route(p)) return refuse_outside_route("adhesion", p, at);
    fill(adhesion_cursor_, nearest_as<long_t>(p / 50.0), [this](cella& x) { write_adhesion(x); });
    current_adhesion_ = a;
    return reading_flow::go_on;
  }

  // After a signal or a restriction any code stops the reading, even one left from before the
  // entry (a 15 of the line description): the entry's position then marks where it stopped.
  reading_flow after_placing(const std::optional<fault>& refused, long_t posizione,
                             source_point at) {
    if (refused) return refuse(*refused, at);
    // Reading on after refusals, the codes they left stop nothing.
    if (c_.read_on_after_refusal || c_.fault_code <= 0) return reading_flow::go_on;
    const long_t still_set = c_.fault_code;
    record_fault(c_,
                 {still_set, posizione,
                  "the reading stops at this entry because fault " + std::to_string(still_set) +
                      " is still set"},
                 source_file::train_scenario, at, severity::note);
    return reading_flow::stop;
  }

  reading_flow segnale() {
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
    if (outside_route(e.posizione)) return refuse_outside_route("signal", e.posizione, at);
    return after_placing(place_signal(c_, e), e.posizione, at);
  }

  reading_flow rallentamento() {
    rallentamento_entry e;
    source_point at;
    e.x = read_position("restriction", at);
    e.v = fields_.read_long();
    e.l = fields_.read_long();
    e.f_tt = fields_.read_long();
    e.f_ta = fields_.read_long();
    e.d_v = fields_.read_long();
    if (outside_route(e.x)) return refuse_outside_route("restriction", e.x, at);
    return after_placing(place_restriction(c_, e), e.x, at);
  }

  reading_flow abbattimento() {
    source_point at;
    abbattimento_entry e;
    e.posizione = read_position("code cut point", at);
    e.valore = fields_.read_long();
    if (outside_route(e.posizione)) return refuse_outside_route("code cut point", e.posizione, at);
    if (auto refused = place_cut_point(c_, e)) return refuse(*refused, at);
    return reading_flow::go_on;
  }

  // The position is checked before any other value is read, the length before the values after
  // it; the record keeps what was read when the reading stops midway.
  reading_flow stazione() {
    source_point at;
    stazione_entry e;
    e.posizione = read_position("station", at);
    // Reading on after a full station table (code 10, given to the station before), a station is
    // read but has no record. The first station always takes record 1.
    const bool table_full = k_ > voce::prima_stazione && k_ >= next_board_record_;
    voce_generale unrecorded;
    voce_generale& record =
        table_full ? unrecorded : c_.voci_generali[static_cast<std::size_t>(k_)];
    try {
      if (auto refused = station_position_fault(c_, e.posizione)) {
        store_station_values(record, e);
        return refuse(*refused, at);
      }
      e.tipo = fields_.read_byte();
      e.lunghezza = fields_.read_long();
      if (auto refused = station_length_fault(e.posizione, e.lunghezza, fields_.where())) {
        store_station_values(record, e);
        return refuse(*refused, at);
      }
      e.ottetto0 = fields_.read_byte();
      e.ottetto4 = fields_.read_byte();
      e.ottetto3 = fields_.read_byte();
      e.intero1 = fields_.read_integer();
      e.intero2 = fields_.read_integer();
      e.ottetto1 = fields_.read_byte();
      e.intero3 = fields_.read_integer();
      e.intero4 = fields_.read_integer();
      e.intero5 = fields_.read_integer();
      e.ottetto2 = fields_.read_byte();
      e.ore = fields_.read_long();
      e.minuti = fields_.read_long();
      e.secondi = fields_.read_long();
      // A time that does not fit fails here, before the name is read.
      e.orario = station_time(e.ore, e.minuti, e.secondi);
      e.nome = fields_.read_text();
    } catch (const reading_failure&) {
      store_station_values(record, e);
      throw;
    }
    if (table_full) return reading_flow::go_on;
    const std::optional<fault> refused = place_station(c_, k_, e, next_board_record_);
    return refused ? refuse(*refused, at) : reading_flow::go_on;
  }

  void end_steps() {
    tail(speed_cursor_, [this](cella& x) { write_speed(x); });
    tail(adhesion_cursor_, [this](cella& x) { write_adhesion(x); });
    // The progressives come from the line description, whose lines are no longer at hand.
    for (int r : {voce::progressiva_tre, voce::progressiva_due, voce::progressiva_uno}) {
      const voce_generale& v = c_.voci_generali[r];
      if (v.inizio % 50 != 0 || v.fine % 50 != 0) {
        record_fault(c_,
                     {fault_code::progressive_grid, std::nullopt,
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
  const long_t next_board_record_;

  std::int64_t speed_cursor_ = 0;
  long_t current_speed_ = 0;
  std::int64_t adhesion_cursor_ = 0;
  long_t current_adhesion_ = 0;
  long_t k_ = voce::prima_stazione;  // record of the next station
};

}  // namespace

void read_train_scenario(compilation& c, field_reader& fields, long_t next_board_record) {
  train_reader(c, fields, next_board_record).run();
}

}  // namespace scenario
