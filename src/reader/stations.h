// The station step: one "stazione" entry becomes station record k of voci_generali, with its area,
// the approach marks and the end cell on the route. The step owns the record: it reads the entry's
// values itself and is the only writer of a station's fields.
#pragma once

#include <optional>

#include "model/model.h"
#include "reader/field_reader.h"

namespace scenario {

// Seconds after midnight, computed exactly; a time that does not fit a Long throws
// reading_failure.
long_t station_time(long_t hours, long_t minutes, long_t seconds);

// Stores the entry's position in record k and reads the rest of its values from `values`, each
// stored as soon as it is read (so a value that cannot be read leaves the ones before it stored),
// computes the area, marks the cells and advances k. A refused position or length is returned
// before the values after it are read. Refusals: code 15 (area past the route: the reading ends
// through its end steps), 8, 9, 24, 22 and 10 (the reading stops at once). The caller records the
// refusal.
std::optional<fault> memo_stazione(compilation& c, long_t& k, long_t posizione,
                                   field_reader& values, long_t indice_cartello);

}  // namespace scenario
