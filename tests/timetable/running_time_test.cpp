#include "timetable/running_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "support/case_name.h"

namespace scenario::timetable {
namespace {

using test_support::PrintTo;
using cells = std::vector<route_cell>;
using stops = std::vector<stop>;

constexpr double kmh = 3.6;

// Cells of one speed limit, flat and straight, up to metre length_m.
cells flat_route(std::int64_t length_m, double limit_kmh) {
  return cells(static_cast<std::size_t>(length_m / cell_length_m), route_cell{limit_kmh, 0, 0});
}

// Sets metres [from_m, to_m) (cell boundaries) to the given cell.
void set_span(cells& route, std::int64_t from_m, std::int64_t to_m, route_cell c) {
  for (std::int64_t m = from_m; m < to_m; m += cell_length_m) {
    route[static_cast<std::size_t>(m / cell_length_m)] = c;
  }
}

stop at(std::int64_t position_m, double dwell_s = 0) {
  return {"", position_m, dwell_s, {}, {}};
}

double speed_at(const running_times& run, std::int64_t position_m) {
  return run.speed_kmh.at(static_cast<std::size_t>(position_m - run.start_m));
}

// A heavy night train of sixteen coaches behind an 80 t electric locomotive.
train night_train() {
  train t;
  t.loco = {"E 444R", 80, 4000, 200, 4};
  t.hauled_mass_t = 800;
  t.coaches = 16;
  t.braked_mass_percent = 125;
  t.max_speed_kmh = 160;
  return t;
}

// The longest route: 1,000,000 m of changing limits, gradients up to 12 per mille each way, curves
// where the line is slow, and a stop every 25 km.
cells longest_route() {
  constexpr double limits[] = {160, 140, 100, 160, 120, 60, 150, 90, 130};
  cells route(1000000 / cell_length_m);
  for (std::size_t c = 0; c < route.size(); ++c) {
    const double limit = limits[(c / 60) % std::size(limits)];
    const double gradient = static_cast<double>(static_cast<int>((c / 37) % 9) - 4) * 3;
    const double radius = limit <= 100 ? 600 : (c / 60) % 13 == 0 ? 2000 : 0;
    route[c] = {limit, gradient, radius};
  }
  return route;
}

stops longest_route_stops() {
  stops s;
  for (std::int64_t m = 0; m <= 1000000; m += 25000) s.push_back(at(m, 60));
  return s;
}

// A flat, straight 10 km run with one stop, set up so that every phase has a constant
// acceleration: no running resistance, power far beyond need, no rotating masses, and the
// tractive effort held at 196.2 kN either by adhesion (0.25 at every speed) or by the locomotive's
// maximum effort.
//
//   acceleration  a = 0.25 * 9.81 m/s2 * 80 t / (80 t + 320 t) = 196.2 kN / 400 t = 0.4905 m/s2
//   braking       b = 72 % * (120/3.6)^2 / (2 * 1000) / 80 % = 0.5 m/s2
//   line speed    v = 90 km/h = 25 m/s
//
//   0 to 25 m/s:  t = 25 / 0.4905 = 50.96840 s   over d = 25^2 / (2 * 0.4905) = 637.10499 m
//   25 m/s to 0:  t = 25 / 0.5    = 50 s         over d = 25^2 / (2 * 0.5)    = 625 m
//   0 to 4000 m (the stop):  cruise (4000 - 637.10499 - 625) / 25 = 109.51580 s
//                            section 50.96840 + 109.51580 + 50 = 210.48420 s
//   4000 to 10000 m:         cruise (6000 - 637.10499 - 625) / 25 = 189.51580 s
//                            section 50.96840 + 189.51580 + 50 = 290.48420 s
//   at 10000 m:              210.48420 + 60 s dwell + 290.48420 = 560.96840 s
//   at 2000 m (cruising):    50.96840 + (2000 - 637.10499) / 25 = 105.48420 s
//   100 m before the stop:   v = sqrt(2 * 0.5 * 100) = 10 m/s = 36 km/h
struct effort_case {
  const char* what;
  double adhesion;
  double max_tractive_effort_kn;
};

class FlatRunWithOneStop : public ::testing::TestWithParam<effort_case> {};

TEST_P(FlatRunWithOneStop, MatchesTheHandCalculation) {
  const double a = 0.25 * 9.81 * 80 / 400;
  const double accelerating_s = 25 / a;
  const double accelerating_m = 25.0 * 25 / (2 * a);
  const double braking_s = 25 / 0.5;
  const double braking_m = 25.0 * 25 / (2 * 0.5);
  const double first_s = accelerating_s + (4000 - accelerating_m - braking_m) / 25 + braking_s;
  const double second_s = accelerating_s + (6000 - accelerating_m - braking_m) / 25 + braking_s;
  ASSERT_NEAR(first_s, 210.48420, 1e-5);
  ASSERT_NEAR(second_s, 290.48420, 1e-5);

  train t;
  t.loco = {"test", 80, 1e6, GetParam().max_tractive_effort_kn, 4};
  t.hauled_mass_t = 320;
  t.coaches = 8;
  t.braked_mass_percent = 72;
  t.max_speed_kmh = 200;
  running_parameters p;
  p.mass_factor = 1;
  p.adhesion_base = GetParam().adhesion;
  p.adhesion_numerator_kmh = 0;
  p.locomotive_resistance = {};
  p.coach_resistance = {};

  const running_times run =
      compute_running_times(flat_route(10000, 90), stops{at(0), at(4000, 60), at(10000)}, t, p);
  ASSERT_FALSE(run.failure) << describe(*run.failure);
  ASSERT_EQ(run.sections.size(), 2u);
  EXPECT_NEAR(run.sections[0].running_s, first_s, 1e-3);
  EXPECT_NEAR(run.sections[1].running_s, second_s, 1e-3);
  EXPECT_NEAR(run.stops[1].arrival_s, first_s, 1e-3);
  EXPECT_NEAR(run.stops[1].departure_s, first_s + 60, 1e-3);
  EXPECT_NEAR(run.stops[2].arrival_s, first_s + 60 + second_s, 1e-3);
  EXPECT_NEAR(time_at(run, 2000), accelerating_s + (2000 - accelerating_m) / 25, 1e-3);
  EXPECT_NEAR(speed_at(run, 3900), 36, 1e-6);
  EXPECT_NEAR(speed_at(run, 2000), 90, 1e-9);
  // At the stop the clock shows the arrival; half a metre on, the dwell has passed.
  EXPECT_DOUBLE_EQ(time_at(run, 4000), run.stops[1].arrival_s);
  EXPECT_GT(time_at(run, 4000.5), run.stops[1].departure_s);
}

INSTANTIATE_TEST_SUITE_P(, FlatRunWithOneStop,
                         ::testing::Values(effort_case{"adhesion holds the effort", 0.25, 1e4},
                                           effort_case{"the maximum tractive effort holds it", 1,
                                                       196.2}),
                         test_support::name_from_what{});

// Each case adds resistance to a 6 km stretch of a 30 km line at 140 km/h, well after the train
// has reached the limit: each must take longer
// over the stretch than the one before, and come out of it slower.
TEST(RunningTime, GradientsAndCurvesSlowTheClimb) {
  struct climb {
    std::string name;
    route_cell cell;
  };
  const climb cases[] = {{"flat", {140, 0, 0}},
                         {"6 per mille", {140, 6, 0}},
                         {"12 per mille", {140, 12, 0}},
                         {"12 per mille in a 400 m curve", {140, 12, 400}}};
  double time_before = 0;
  double speed_before = 0;
  for (const climb& c : cases) {
    SCOPED_TRACE(c.name);
    cells route = flat_route(30000, 140);
    set_span(route, 16000, 22000, c.cell);
    const running_times run = compute_running_times(route, stops{at(0), at(30000)}, night_train());
    ASSERT_FALSE(run.failure) << describe(*run.failure);
    const double climbing_s = time_at(run, 22000) - time_at(run, 16000);
    if (c.cell.gradient_per_mille == 0) {
      EXPECT_NEAR(speed_at(run, 22000), 140, 1e-9);  // the flat line is run at its limit
      EXPECT_NEAR(climbing_s, 6000 / (140 / kmh), 1e-3);
    } else {
      EXPECT_GT(climbing_s, time_before);
      EXPECT_LT(speed_at(run, 22000), speed_before);
    }
    time_before = climbing_s;
    speed_before = speed_at(run, 22000);
  }
}

// A 2 km restriction to 80 km/h on a 160 km/h line: the train brakes at the service deceleration
// so as to reach 80 km/h exactly at the board, and speeds up only once its head passes the board at
// the end.
TEST(RunningTime, LowerLimitAheadIsReachedByBrakingBeforeIt) {
  cells route = flat_route(40000, 160);
  set_span(route, 25000, 27000, {80, 0, 0});
  const train t = night_train();
  const running_times run = compute_running_times(route, stops{at(0), at(40000)}, t);
  ASSERT_FALSE(run.failure) << describe(*run.failure);

  const double b = service_deceleration_mps2(t);
  ASSERT_DOUBLE_EQ(b, 0.7);  // 125 % would give 0.868 m/s2, more than service braking uses
  const double v80 = 80 / kmh;
  const double v160 = 160 / kmh;
  const double braking_m = (v160 * v160 - v80 * v80) / (2 * b);  // 1058.2 m
  EXPECT_NEAR(speed_at(run, 25000), 80, 1e-9);
  EXPECT_NEAR(speed_at(run, 24500), std::sqrt(v80 * v80 + 2 * b * 500) * kmh, 1e-9);
  EXPECT_NEAR(speed_at(run, 25000 - static_cast<std::int64_t>(braking_m) - 1), 160, 1e-9);
  EXPECT_NEAR(speed_at(run, 27000), 80, 1e-9);
  EXPECT_GT(speed_at(run, 27001), 80);
}

// What every run must hold: time runs forward, the train never exceeds the limit of either step
// a metre joins nor brakes harder than its service deceleration, and it stands at every stop for
// the sections' times.
void expect_consistent_run(const cells& route, const stops& s, const train& t) {
  const running_times run = compute_running_times(route, s, t);
  ASSERT_FALSE(run.failure) << describe(*run.failure);
  ASSERT_EQ(run.speed_kmh.size(), run.time_s.size());
  const double b = service_deceleration_mps2(t);
  for (std::size_t i = 1; i < run.time_s.size(); ++i) {
    const std::int64_t x = run.start_m + static_cast<std::int64_t>(i);
    ASSERT_GT(run.time_s[i], run.time_s[i - 1]) << "metre " << x;
    const double limit = std::min(
        route[static_cast<std::size_t>((x - 1) / cell_length_m)].speed_limit_kmh, t.max_speed_kmh);
    ASSERT_LE(run.speed_kmh[i], limit + 1e-9) << "metre " << x;
    ASSERT_LE(run.speed_kmh[i - 1], limit + 1e-9) << "metre " << x;
    const double v0 = run.speed_kmh[i - 1] / kmh;
    const double v1 = run.speed_kmh[i] / kmh;
    ASSERT_GE(v1 * v1 - v0 * v0, -2 * b - 1e-9) << "metre " << x;
  }
  ASSERT_EQ(run.stops.size(), s.size());
  ASSERT_EQ(run.sections.size(), s.size() - 1);
  for (std::size_t i = 0; i < s.size(); ++i) {
    EXPECT_EQ(speed_at(run, s[i].position_m), 0) << "stop " << i;
    EXPECT_DOUBLE_EQ(time_at(run, static_cast<double>(s[i].position_m)), run.stops[i].arrival_s);
    if (i > 0) {
      EXPECT_DOUBLE_EQ(run.stops[i].arrival_s,
                       run.stops[i - 1].departure_s + run.sections[i - 1].running_s);
    }
  }
}

struct route_case {
  const char* what;
  std::function<cells()> route;
  stops s;
};

class EveryRoute : public ::testing::TestWithParam<route_case> {};

TEST_P(EveryRoute, TimesIncreaseAndLimitsHold) {
  expect_consistent_run(GetParam().route(), GetParam().s, night_train());
}

INSTANTIATE_TEST_SUITE_P(, EveryRoute,
                         ::testing::Values(route_case{"flat",
                                                      [] { return flat_route(10000, 90); },
                                                      {at(0), at(4000, 60), at(10000)}},
                                           route_case{"stops 1 m apart, and not from metre 0",
                                                      [] { return flat_route(2000, 60); },
                                                      {at(120), at(121, 30), at(1950)}},
                                           route_case{"descent into a restriction",
                                                      [] {
                                                        cells r = flat_route(20000, 160);
                                                        set_span(r, 2000, 12000, {160, -12, 0});
                                                        set_span(r, 9000, 10000, {60, -12, 500});
                                                        return r;
                                                      },
                                                      {at(0), at(20000)}},
                                           route_case{"longest route", longest_route,
                                                      longest_route_stops()}),
                         test_support::name_from_what{});

struct refusal {
  const char* what;
  std::function<void(cells&, stops&, train&)> change;
  run_error error;
  std::int64_t position_m;
};

class RunRefusal : public ::testing::TestWithParam<refusal> {};

// Each case changes one thing of a run that would go: 10 km at 90 km/h, a stop at 5000 m.
TEST_P(RunRefusal, NamesTheErrorAndWhere) {
  cells route = flat_route(10000, 90);
  stops s = {at(0), at(5000, 30), at(10000)};
  train t = night_train();
  GetParam().change(route, s, t);
  const running_times run = compute_running_times(route, s, t);
  ASSERT_TRUE(run.failure);
  EXPECT_EQ(run.failure->error, GetParam().error) << describe(*run.failure);
  EXPECT_EQ(run.failure->position_m, GetParam().position_m);
  EXPECT_TRUE(run.speed_kmh.empty());
  EXPECT_TRUE(run.sections.empty());
}

INSTANTIATE_TEST_SUITE_P(
    , RunRefusal,
    ::testing::Values(
        refusal{"no cells", [](cells& r, stops&, train&) { r.clear(); }, run_error::no_route, 0},
        refusal{"one stop", [](cells&, stops& s, train&) { s.resize(1); }, run_error::too_few_stops,
                0},
        refusal{"stop past the route end",
                [](cells&, stops& s, train&) { s.back().position_m = 10001; }, run_error::bad_stop,
                10001},
        refusal{"stops out of order", [](cells&, stops& s, train&) { s[1].position_m = 0; },
                run_error::bad_stop, 0},
        refusal{"negative dwell", [](cells&, stops& s, train&) { s[1].dwell_s = -1; },
                run_error::bad_stop, 5000},
        refusal{"no speed limit", [](cells& r, stops&, train&) { r[20].speed_limit_kmh = 0; },
                run_error::bad_cell, 1000},
        refusal{"curve of 30 m", [](cells& r, stops&, train&) { r[21].curve_radius_m = 30; },
                run_error::bad_cell, 1050},
        refusal{"no power", [](cells&, stops&, train& t) { t.loco.power_kw = 0; },
                run_error::bad_train, 0},
        refusal{"no braked mass", [](cells&, stops&, train& t) { t.braked_mass_percent = 0; },
                run_error::bad_train, 0},
        refusal{"60 per mille from the stop on",
                [](cells& r, stops&, train&) {
                  set_span(r, 5000, 6000, {90, 60, 0});
                },
                run_error::stalled, 5000}),
    test_support::name_from_what{});

}  // namespace
}  // namespace scenario::timetable
