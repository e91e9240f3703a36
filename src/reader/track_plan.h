// The track plan: the horizontal layout of the route, one point per metre, built from the curve
// entries of the line description.
#pragma once

#include <optional>
#include <string_view>

#include "model/model.h"

namespace scenario {

// The plan may not pass this metre, whatever the length of the route.
inline constexpr long_t last_plan_metre = 1000000;

// Curvature per metre named by a curve key field: the first class digit found ("1" before "2" ...
// before "6") gives its size, an "s" in either case turns it to the negative side. nullopt when the
// key holds no class digit.
std::optional<double> curvature_of(std::string_view key);

// Points 0 and 1 as the Integers (0, 0) and (0, 1); the first step runs along the second
// coordinate. Returns the next point to compute.
long_t start_track_plan(tracciato_t& plan);

// Runs straight up to metre `start`, then turns by the key's curvature up to `start + length`.
// Returns false, leaving `metro` as it was, when the key names no class or the curve ends past the
// plan's last point; returns false also when the plan passes metre 1000000, keeping what it
// computed.
bool curve_step(tracciato_t& plan, std::string_view key, long_t start, long_t length,
                long_t& metro);

// Straight steps up to two points before the last, which stay empty.
void track_plan_tail(tracciato_t& plan, long_t& metro);

}  // namespace scenario
