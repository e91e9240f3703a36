// Line features laid on the model: the kilometre progressives' order, mountain spans and
// speed-limit boards.
#pragma once

#include "model/model.h"

namespace scenario {

// Puts records 81, 82 and 83 (the kilometre progressives as read) in order of their route
// positions, and adds 100 to the value of each one flagged 1.
void progressive_ordina(compilation& c);

// Lays one mountain span over the cells and into the span tables. `tipo` may be changed in place.
// A span starting before the route, or ending past its last cell, is refused with code 15; an 81st
// span with code 105. `line` is the line of the entry, for the fault.
void memo_montagna(compilation& c, long_t inizio, long_t fine, long_t& tipo, int line);

// Places one speed-limit board. A board before the route or past its last cell is refused with code
// 15, one on an occupied cell with code 21; a speed code that does not fit an Integer throws
// reading_failure and leaves the cell as it was.
void memo_indicatori_v_max(compilation& c, long_t posizione, long_t vas, long_t vbs, long_t vcs,
                           integer_t strisces, long_t vad, long_t vbd, long_t vcd,
                           integer_t strisced, int line);

}  // namespace scenario
