// The station step: one "stazione" entry becomes station record k of voci_generali, with its area,
// the approach marks and the end cell on the route. The step owns the record: it is the only writer
// of a station's fields.
#pragma once

#include <optional>
#include <string>

#include "model/model.h"

namespace scenario {

// The values of a "stazione" entry, in file order, and the time they give.
struct stazione_entry {
  long_t posizione = 0;  // metres
  byte_t tipo = 0;       // kind: 5-8 shape the area, 25 and up are stops without an end cell
  long_t lunghezza = 0;  // metres, a multiple of 100
  byte_t ottetto0 = 0;
  byte_t ottetto4 = 0;
  byte_t ottetto3 = 0;
  integer_t intero1 = 0;
  integer_t intero2 = 0;
  byte_t ottetto1 = 0;
  integer_t intero3 = 0;
  integer_t intero4 = 0;
  integer_t intero5 = 0;
  byte_t ottetto2 = 0;
  long_t ore = 0;
  long_t minuti = 0;
  long_t secondi = 0;
  std::string nome;
  long_t orario = 0;  // seconds after midnight, from ore, minuti and secondi (station_time)
};

// Seconds after midnight, computed exactly; a time that does not fit a Long throws
// reading_failure.
long_t station_time(long_t hours, long_t minutes, long_t seconds);

// The refusal of a position, before any other value of the entry is read: code 15 when the area
// and its end cell have no room (800 m after the position), 8 when it is not a multiple of 50.
std::optional<fault> station_position_fault(const compilation& c, long_t posizione);

// The refusal of a length that is not a multiple of 100 (code 9), at the length field `at`.
std::optional<fault> station_length_fault(long_t posizione, long_t lunghezza, source_point at);

// Stores the values of `e` into the station record. A reading that stops midway stores what it has
// read: the values not yet read are 0 and empty, as the cleared record is.
void store_station_values(voce_generale& r, const stazione_entry& e);

// Stores the entry in record k, computes its area, marks the cells and advances k. Refusals: code
// 15 (area past the route: the reading ends through its end steps), 24, 22 and 10 (the reading
// stops at once). The caller records the refusal.
std::optional<fault> place_station(compilation& c, long_t& k, const stazione_entry& e,
                                   long_t next_board_record);

}  // namespace scenario
