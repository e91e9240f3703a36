// Pure running times of one train over a route of 50-metre cells: the fastest run the train can
// make within the line speeds, stopping at every stop, and the time it takes to every metre.
// Standard library only; nothing here prints, exits or touches a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace scenario::timetable {

inline constexpr std::int64_t cell_length_m = 50;

// The integration step. Stops stand on whole metres and a cell is 50 steps, so every place where a
// limit, a gradient or a stop begins is a step boundary and never falls inside a step.
inline constexpr std::int64_t step_m = 1;

// One 50-metre cell of the route, from metre 50 * index to the next cell.
struct route_cell {
  double speed_limit_kmh = 0;     // line speed over the cell, above 0 where the train runs
  double gradient_per_mille = 0;  // positive rising in the direction of travel
  double curve_radius_m = 0;      // 0 on straight track, otherwise above 30
};

// A stop of the run. The run starts at the first stop and ends at the last.
struct stop {
  std::string name;
  std::int64_t position_m = 0;  // where the head of the train stands
  double dwell_s = 0;           // ignored at the first and the last stop
  // Seconds after midnight; a run that passes midnight may give later stops smaller values.
  std::optional<std::int64_t> required_arrival_s;
  std::optional<std::int64_t> required_departure_s;
};

struct locomotive {
  std::string type;  // e.g. "E 444R"; for the reader, the calculation uses the numbers below
  double mass_t = 0;
  double power_kw = 0;  // at the rail
  double max_tractive_effort_kn = 0;
  int axles = 4;  // all of them driven
};

struct train {
  locomotive loco;
  double hauled_mass_t = 0;  // the coaches with their load
  int coaches = 0;
  double braked_mass_percent = 0;
  double max_speed_kmh = 0;
};

// One vehicle's running resistance in Davis's form, in newtons at speed v (m/s):
//   a_per_t * mass_t + a_per_axle * axles + b_per_t * mass_t * v + c_per_m2 * frontal_area_m2 * v^2
struct davis_coefficients {
  double a_n_per_t = 0;
  double a_n_per_axle = 0;
  double b_n_per_t_per_mps = 0;
  double c_n_per_m2_per_mps2 = 0;
};

// The physical parameters. The defaults and their sources are in docs/running_times.md; a test
// that wants a simpler train (no resistance, a constant adhesion) sets them here.
struct running_parameters {
  double gravity_mps2 = 9.81;
  double mass_factor = 1.05;  // rotating masses: inertial mass over static mass

  // Adhesion after Curtius and Kniffler: mu = base + numerator / (v_kmh + offset).
  double adhesion_base = 0.161;
  double adhesion_numerator_kmh = 7.5;
  double adhesion_offset_kmh = 44;

  // Davis (1926), converted to SI: the locomotive as a leading vehicle, the coaches as trailing
  // passenger cars.
  davis_coefficients locomotive_resistance{6.3743, 128.998, 0.32905, 0.57501};
  davis_coefficients coach_resistance{6.3743, 128.998, 0.32905, 0.08146};
  double locomotive_frontal_area_m2 = 10;
  double coach_frontal_area_m2 = 10;
  int coach_axles = 4;

  // Braked-mass percentage: 80 % stops a train from 120 km/h in 1000 m, so the mean full-braking
  // deceleration grows by (120 / 3.6)^2 / (2 * 1000) / 80 m/s2 per percent.
  double full_braking_mps2_per_percent = (120.0 / 3.6) * (120.0 / 3.6) / (2 * 1000.0) / 80;
  // Service braking for a timetable uses at most this deceleration.
  double service_deceleration_cap_mps2 = 0.7;
};

enum class run_error {
  no_route,        // no cells
  too_few_stops,   // fewer than a first and a last stop
  bad_stop,        // outside the route, not after the stop before, or a negative dwell
  bad_cell,        // a cell the run crosses with no speed limit, or a curve of 30 m or less
  bad_train,       // a mass, power, effort, braking or speed that is not above 0
  bad_parameters,  // a physical parameter out of its range
  stalled,         // the train cannot overcome the resistance: it stops short of the next metre
};

struct run_failure {
  run_error error = run_error::no_route;
  std::size_t index = 0;        // the stop or cell at fault
  std::int64_t position_m = 0;  // where: the stop, the start of the cell, where the train stalls
};

// "the train stalls at metre 1234: ..."; one line, no final full stop.
std::string describe(const run_failure& f);

// Arrival and departure at a stop, in seconds from the departure at the first stop. The first stop
// has both 0; the last departs when it arrives.
struct stop_time {
  std::int64_t position_m = 0;
  double arrival_s = 0;
  double departure_s = 0;
};

// The running time from the departure at one stop to the arrival at the next.
struct section_time {
  std::size_t from_stop = 0;
  std::size_t to_stop = 0;
  double running_s = 0;
};

// The run, or why there is none. Profile sample i is metre start_m + i * step_m, from the first
// stop to the last.
struct running_times {
  std::optional<run_failure> failure;  // when set, everything below is empty
  std::int64_t start_m = 0;
  std::vector<double> speed_kmh;  // speed of the head there
  std::vector<double> time_s;     // when the head gets there; at a stop, its arrival
  std::vector<stop_time> stops;
  std::vector<section_time> sections;
};

// The fastest run: full tractive effort wherever the line speed allows more speed, service braking
// in time for every lower line speed ahead and for every stop. Speed limits take effect where the
// head of the train reaches the start of their cell.
running_times compute_running_times(std::span<const route_cell> cells, std::span<const stop> stops,
                                    const train& t, const running_parameters& p = {});

// Seconds from the departure at the first stop until the head of the train reaches position_m,
// the dwell at every stop passed included; at a stop, its arrival. position_m is held to the run.
// The run must have no failure.
double time_at(const running_times& run, double position_m);

// Curve resistance after Röckl, in per mille of the train's weight; 0 for a radius of 0 (straight).
double curve_resistance_per_mille(double radius_m);

// The service deceleration the run brakes with, in m/s2.
double service_deceleration_mps2(const train& t, const running_parameters& p = {});

}  // namespace scenario::timetable
