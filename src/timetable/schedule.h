// Scheduled times from pure running times: an allowance on top of the pure running time, spread
// so that the times the timetable requires at its stops are met, and the sections where even the
// pure running time is too long for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "timetable/running_time.h"

namespace scenario::timetable {

inline constexpr std::int64_t seconds_per_day = 86400;

// A stop as the schedule sees it: the pure running time to it and what the timetable requires.
struct timing_point {
  std::string name;
  double running_s = 0;  // pure running time from the point before; 0 at the first
  double dwell_s = 0;    // the shortest stop; ignored at the first and the last point
  // Seconds after midnight. Only the departure counts at the first point and only the arrival at
  // the last. Each is taken as the first such time of day not earlier than the required time
  // before it, so a run may pass midnight; two required times are less than a day apart.
  std::optional<std::int64_t> required_arrival_s;
  std::optional<std::int64_t> required_departure_s;
};

struct schedule_parameters {
  // Added to the pure running time where no required time governs, in percent of it.
  double allowance_percent = 5;
};

// Seconds after midnight of the day the run starts (past 86400 after midnight). Where nothing is
// required at all, the first departure is at 0. The first point arrives when it departs, the last
// departs when it arrives.
struct scheduled_point {
  std::string name;
  double arrival_s = 0;
  double departure_s = 0;
};

// From one required time to the next the pure running time and the shortest stops need more time
// than the two required times leave. from_point == to_point when a stop's required arrival and
// departure leave less than its dwell.
struct tight_section {
  std::size_t from_point = 0;
  std::size_t to_point = 0;
  std::string from_name;
  std::string to_name;
  double short_s = 0;  // seconds missing
};

// Between two required times the running times are all stretched by one factor (the allowance
// they leave) and the stops kept at their dwell; before the first and after the last required time
// every running time gets the allowance of the parameters. Where the required times are too tight,
// the points between them get the pure running times from the earlier required time, and the later
// required time stands as given.
struct schedule {
  std::vector<scheduled_point> points;
  std::vector<tight_section> too_tight;
};

schedule make_schedule(std::span<const timing_point> points, const schedule_parameters& p = {});

// The timing points of a run: its section times with the stops' names, dwells and required times.
// The run must have no failure and be computed over these stops.
std::vector<timing_point> timing_points(const running_times& run, std::span<const stop> stops);

}  // namespace scenario::timetable
