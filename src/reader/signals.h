// Placing one signal or one temporary speed restriction on the route cells.
#pragma once

#include <optional>

#include "model/model.h"

namespace scenario {

// The values of a "segnale" entry, in file order.
struct segnale_entry {
  long_t posizione = 0;  // metres
  long_t sx = 0;
  long_t s1 = 0;
  long_t s2 = 0;
  long_t s3 = 0;
  long_t rapp = 0;
  long_t dx = 0;
  long_t d1 = 0;
  long_t d2 = 0;
  long_t d3 = 0;
  long_t tempo = 0;
};

// The values of a "rallentamento" entry, in file order.
struct rallentamento_entry {
  long_t x = 0;  // start, metres
  long_t v = 0;  // speed
  long_t l = 0;  // length, metres
  long_t f_tt = 0;
  long_t f_ta = 0;  // nonzero: the four approach cells before the warning
  long_t d_v = 0;
};

// Places the signal in cell nearest(posizione / 50 + 1), with its four approach marks 100 to 400 m
// before it. A taken cell is refused with code 16 and nothing is written. A refusal is returned at
// the entry's position; the caller records it.
std::optional<fault> place_signal(compilation& c, const segnale_entry& e);

// Places the restriction: end, start and (beyond 1500 m) warning cell, and on request the four
// approach cells. Refusals: codes 17, 18, 19 (nothing written) or 20 (end, start and warning cells
// stay written), at the entry's position.
std::optional<fault> place_restriction(compilation& c, const rallentamento_entry& e);

}  // namespace scenario
