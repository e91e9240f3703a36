// The kilometres a timetable card prints: the route position, changed over at each kilometre
// progressive of the scenario file.
//
// The rule: a progressive (p, v, f) starts a new count at route position p. From p on the count
// reads v + x at route position x when the flag f is 0 (or anything but 1), and v - x when f is 1,
// a count that runs against the direction of travel. v is the value the line description gives;
// the compiled record holds v + 100 when f is 1 (the compiler adds it), and the card takes the 100
// off again. Before the first progressive the count is the route position itself. At p the card
// prints the old count, marked with "/", and on the row after it the new one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/model.h"

namespace scenario::card {

struct count_change {
  long_t position = 0;      // route metres where the new count starts
  long_t value = 0;         // v, as the line description gives it
  bool descending = false;  // flag 1
};

// The progressives of records 81 to 83 that hold anything, in route order.
std::vector<count_change> count_changes(const tabella_voci& voci);

// The count at route position x, in metres. At a change-over position the old count is given
// unless `after_change` is set.
long_t count_at(const std::vector<count_change>& changes, long_t x, bool after_change = true);

// The change-over at exactly position x, if any.
std::optional<count_change> change_at(const std::vector<count_change>& changes, long_t x);

// "31.100", "-1.250": metres as kilometres with three decimals.
std::string kilometres_text(long_t metres);

}  // namespace scenario::card
