// Placing one text board ("cartello_indicatore") on the route cells, its text in a general record.
#pragma once

#include <optional>
#include <string>

#include "model/model.h"

namespace scenario {

// The values of a "cartello_indicatore" entry, in file order.
struct cartello_entry {
  long_t posizione = 0;  // metres
  std::string testo;
  source_point at;  // the position field
};

// Places the board in cell nearest(posizione / 50 + 1) with its text in `record`, the next free
// text-board record, which is then counted down. Refusals: code 15 (outside the route), 106 (no
// record left), 6 (the cell is taken); nothing is written then. The caller records the refusal.
// A board that has a record starts its entry (begin_entry), so the log of entries holds only the
// boards that got that far.
std::optional<fault> place_text_board(compilation& c, const cartello_entry& e, long_t& record);

}  // namespace scenario
