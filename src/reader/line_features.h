// Line features laid on the model: the kilometre progressives' order, mountain spans and
// speed-limit boards.
#pragma once

#include <array>
#include <optional>

#include "model/model.h"

namespace scenario {

// Puts records 81, 82 and 83 (the kilometre progressives as read) in order of their route
// positions, and adds 100 to the value of each one flagged 1.
void order_progressives(compilation& c);

inline constexpr int most_mountain_spans = 80;

// The spans laid so far, entries 1 .. 80: the gap test compares a span with the one before.
struct mountain_spans {
  long_t count = 0;
  std::array<long_t, most_mountain_spans + 1> inizio{};
  std::array<long_t, most_mountain_spans + 1> fine{};
};

// The values of a "montagna" entry, in file order.
struct montagna_entry {
  long_t inizio = 0;  // metres
  long_t fine = 0;    // metres
  long_t tipo = 0;    // scenery type; above 10: with a scenery mark every 200 m
};

// Lays one mountain span over the cells and into `spans`. A span starting before the route, or
// ending past its last cell, is refused with code 15; an 81st span with code 105. A refusal is
// returned; the caller records it.
std::optional<fault> place_mountain_span(compilation& c, mountain_spans& spans,
                                         const montagna_entry& e);

// The values of an "indicatori_v" entry, in file order: the three speeds a, b, c of each side s
// and d, and each side's stripes.
struct indicatori_entry {
  long_t posizione = 0;  // metres
  long_t vas = 0;
  long_t vbs = 0;
  long_t vcs = 0;
  integer_t strisces = 0;
  long_t vad = 0;
  long_t vbd = 0;
  long_t vcd = 0;
  integer_t strisced = 0;
};

// Places one speed-limit board. A board before the route or past its last cell is refused with code
// 15, one on an occupied cell with code 21; a speed code that does not fit an Integer throws
// reading_failure and leaves the cell as it was.
std::optional<fault> place_speed_board(compilation& c, const indicatori_entry& e);

}  // namespace scenario
