// Placing one code cut point ("abbattimento") on the route cells.
#pragma once

#include <optional>

#include "model/model.h"

namespace scenario {

// The values of an "abbattimento" entry, in file order.
struct abbattimento_entry {
  long_t posizione = 0;  // metres
  long_t valore = 0;     // the code value; 0 or less gives a null cut point
};

// Places the cut point in cell nearest(posizione / 50), the cell just in front of a signal at the
// same position. A cell outside the route or already taken is refused with code 7 and nothing is
// written. The caller records the refusal.
std::optional<fault> place_cut_point(compilation& c, const abbattimento_entry& e);

}  // namespace scenario
