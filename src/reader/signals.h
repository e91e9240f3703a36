// Placing one signal or one temporary speed restriction on the route cells.
#pragma once

#include "model/model.h"

namespace scenario {

// Places the signal of a "segnale" entry in cell nearest(posizione / 50 + 1), with its four
// approach marks 100 to 400 m before it. A taken cell sets codice_errore = 16 and writes nothing;
// the caller sets posizione_errore and records the diagnostic.
void memo_segnale(compilation& c, long_t posizione, long_t sx, long_t s1, long_t s2, long_t s3,
                  long_t rapp, long_t dx, long_t d1, long_t d2, long_t d3, long_t tempo);

// Places the restriction of a "rallentamento" entry: end, start and (beyond 1500 m) warning cell,
// and on request the four approach cells. Refusals set codice_errore to 17, 18, 19 (nothing
// written) or 20 (end, start and warning cells stay written).
void memo_rallentamento(compilation& c, long_t x, long_t v, long_t l, long_t f_tt, long_t f_ta,
                        long_t d_v);

}  // namespace scenario
