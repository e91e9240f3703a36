// The station step: one "stazione" entry becomes station record k of voci_generali, with its area,
// the approach marks and the end cell on the route.
#pragma once

#include <string>

#include "model/model.h"

namespace scenario {

// How the train reading goes on after a station entry, or after a part of one.
enum class station_flow {
  go_on,      // accepted so far
  end_steps,  // code 15: the reading ends through its end steps
  stop,       // any other refusal: the reading stops at once
};

// The values of one "stazione" entry, in file order.
struct station_entry {
  long_t posizione = 0;  // metres, a multiple of 50
  byte_t tipo = 0;       // station kind
  long_t length = 0;     // metres, a multiple of 100
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
  long_t hours = 0;
  long_t minutes = 0;
  long_t seconds = 0;
  std::string nome;
};

// Seconds after midnight, computed exactly; a time that does not fit a Long throws
// reading_failure.
long_t station_time(long_t hours, long_t minutes, long_t seconds);

// The step runs in three stages, in the order the entry's values are read, so that a refusal comes
// before the values after the faulty one are read. Each stage records its fault against the train
// scenario at `line`.

// Stores the position in record k; code 15 when the area may not fit the route, 8 when the
// position is not a multiple of 50.
station_flow station_position(compilation& c, long_t k, long_t posizione, int line);

// Stores the kind in record k; code 9 when the length is not a multiple of 100.
station_flow station_length(compilation& c, long_t k, long_t posizione, byte_t tipo, long_t length,
                            int line);

// Stores the other values and the area, marks the cells and advances k. Codes 15 (end cell past the
// last cell), 24, 22 and 10. A time beyond a Long throws reading_failure.
station_flow station_finish(compilation& c, long_t& k, const station_entry& e,
                            long_t indice_cartello, int line);

// The three stages on a complete entry.
station_flow memo_stazione(compilation& c, long_t& k, const station_entry& e,
                           long_t indice_cartello, int line);

}  // namespace scenario
