#include "timetable/schedule.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/case_name.h"

namespace scenario::timetable {
namespace {

using test_support::PrintTo;
using points = std::vector<timing_point>;

// 600, 900 and 1200 s of pure running, stops of 60 and 120 s, leaving Roma at 23:15:30.
points night_run() {
  return {{"Roma", 0, 0, {}, 83730},
          {"Civitavecchia", 600, 60, {}, {}},
          {"Grosseto", 900, 120, {}, {}},
          {"Pisa", 1200, 0, {}, {}}};
}

void expect_times(const schedule& s, const std::vector<double>& arrivals,
                  const std::vector<double>& departures) {
  ASSERT_EQ(s.points.size(), arrivals.size());
  for (std::size_t i = 0; i < arrivals.size(); ++i) {
    EXPECT_NEAR(s.points[i].arrival_s, arrivals[i], 1e-6) << s.points[i].name;
    EXPECT_NEAR(s.points[i].departure_s, departures[i], 1e-6) << s.points[i].name;
  }
}

TEST(Schedule, AllowanceOnEveryRunningTimeWhereNothingLaterIsRequired) {
  // 630, 945 and 1260 s with 5 %; Pisa at 00:04:05 the next day.
  const schedule s = make_schedule(night_run());
  EXPECT_TRUE(s.too_tight.empty());
  expect_times(s, {83730, 84360, 85365, 86745}, {83730, 84420, 85485, 86745});
}

TEST(Schedule, StartsAtZeroOrBackFromTheFirstRequiredTime) {
  points relative = night_run();
  relative[0].required_departure_s.reset();
  expect_times(make_schedule(relative), {0, 630, 1635, 3015}, {0, 690, 1755, 3015});

  // Grosseto's arrival at 23:42:45 puts Roma's departure back at 23:15:30, with the allowance.
  points later = relative;
  later[2].required_arrival_s = 85365;
  expect_times(make_schedule(later), {83730, 84360, 85365, 86745}, {83730, 84420, 85485, 86745});
}

struct stretch_case {
  const char* what;
  std::function<void(points&)> require;
  std::vector<double> arrivals;
  std::vector<double> departures;
};

// Roma 23:15:30 to Pisa 00:30:00: 4470 s for 2700 s of running and 180 s of stops.
const double whole = 4290.0 / 2700;
// To Grosseto's departure at 23:50:00: 2070 s for 1500 s of running and 180 s of stops; then
// 2400 s for the last 1200 s of running.
const double first = 1890.0 / 1500;

class RequiredTimes : public ::testing::TestWithParam<stretch_case> {};

// Between two required times the running times are stretched by one factor, whatever the
// allowance of the parameters, and the stops keep their dwell.
TEST_P(RequiredTimes, AreMetByStretchingTheRunningTimesAlike) {
  points p = night_run();
  GetParam().require(p);
  const schedule s = make_schedule(p);
  EXPECT_TRUE(s.too_tight.empty());
  expect_times(s, GetParam().arrivals, GetParam().departures);
}

INSTANTIATE_TEST_SUITE_P(
    , RequiredTimes,
    ::testing::Values(stretch_case{"Pisa required past midnight",
                                   [](points& p) { p[3].required_arrival_s = 1800; },
                                   {83730, 83730 + 600 * whole,
                                    83730 + 600 * whole + 60 + 900 * whole, 88200},
                                   {83730, 83730 + 600 * whole + 60, 88200 - 1200 * whole, 88200}},
                      stretch_case{"Grosseto's departure required as well",
                                   [](points& p) {
                                     p[2].required_departure_s = 85800;
                                     p[3].required_arrival_s = 1800;
                                   },
                                   {83730, 83730 + 600 * first, 85800 - 120, 88200},
                                   {83730, 83730 + 600 * first + 60, 85800, 88200}}),
    test_support::name_from_what{});

struct tight_case {
  const char* what;
  std::function<void(points&)> require;
  std::vector<tight_section> expected;
};

class TightSections : public ::testing::TestWithParam<tight_case> {};

TEST_P(TightSections, AreNamedWithTheSecondsMissing) {
  const std::vector<tight_section>& expected = GetParam().expected;
  points p = night_run();
  GetParam().require(p);
  const schedule s = make_schedule(p);
  ASSERT_EQ(s.too_tight.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(s.too_tight[i].from_point, expected[i].from_point);
    EXPECT_EQ(s.too_tight[i].to_point, expected[i].to_point);
    EXPECT_EQ(s.too_tight[i].from_name, expected[i].from_name);
    EXPECT_EQ(s.too_tight[i].to_name, expected[i].to_name);
    EXPECT_NEAR(s.too_tight[i].short_s, expected[i].short_s, 1e-6);
  }
}

INSTANTIATE_TEST_SUITE_P(
    , TightSections,
    ::testing::Values(
        // 1470 s from Roma to Grosseto for 600 + 60 + 900 s.
        tight_case{"Grosseto at 23:40:00",
                   [](points& p) { p[2].required_arrival_s = 85200; },
                   {{0, 2, "Roma", "Grosseto", 90}}},
        // 30 s, not a day and 30 s: the run does not pass midnight between the two.
        tight_case{"Civitavecchia half a minute after leaving Roma just before midnight",
                   [](points& p) {
                     p[0].required_departure_s = 86340;
                     p[1].required_arrival_s = 86370;
                   },
                   {{0, 1, "Roma", "Civitavecchia", 570}}},
        tight_case{"a stop of 30 s where 60 s are needed",
                   [](points& p) {
                     p[1].required_arrival_s = 84400;
                     p[1].required_departure_s = 84430;
                   },
                   {{1, 1, "Civitavecchia", "Civitavecchia", 30}}},
        // 570 s for 600 s, then from Civitavecchia 2100 s for 60 + 900 + 120 + 1200 s.
        tight_case{"two tight sections, the second to midnight",
                   [](points& p) {
                     p[1].required_arrival_s = 84300;
                     p[3].required_arrival_s = 0;
                   },
                   {{0, 1, "Roma", "Civitavecchia", 30}, {1, 3, "Civitavecchia", "Pisa", 180}}}),
    test_support::name_from_what{});

// Inside a tight section the train runs its pure times; the required time after it stands, and
// the schedule goes on from it.
TEST(Schedule, TightSectionRunsPureAndResumesAtTheRequiredTime) {
  points p = night_run();
  p[2].required_arrival_s = 85200;
  expect_times(make_schedule(p), {83730, 84330, 85200, 86580}, {83730, 84390, 85320, 86580});
}

TEST(Schedule, TimingPointsOfARunCarryItsSectionTimes) {
  const std::vector<route_cell> route(200, route_cell{90, 0, 0});
  const std::vector<stop> stops = {
      {"A", 0, 0, {}, 3600}, {"B", 4000, 60, 3900, {}}, {"C", 10000, 0, {}, {}}};
  train t;
  t.loco = {"E 444R", 80, 4000, 200, 4};
  t.hauled_mass_t = 400;
  t.coaches = 8;
  t.braked_mass_percent = 100;
  t.max_speed_kmh = 160;
  const running_times run = compute_running_times(route, stops, t);
  ASSERT_FALSE(run.failure) << describe(*run.failure);

  const std::vector<timing_point> tp = timing_points(run, stops);
  ASSERT_EQ(tp.size(), 3u);
  EXPECT_EQ(tp[0].running_s, 0);
  EXPECT_EQ(tp[1].running_s, run.sections[0].running_s);
  EXPECT_EQ(tp[2].running_s, run.sections[1].running_s);
  EXPECT_EQ(tp[1].dwell_s, 60);
  EXPECT_EQ(tp[1].required_arrival_s, 3900);
  EXPECT_EQ(tp[0].required_departure_s, 3600);

  const schedule s = make_schedule(tp);
  EXPECT_TRUE(s.too_tight.empty());
  EXPECT_EQ(s.points[1].arrival_s, 3900);
  EXPECT_NEAR(s.points[2].arrival_s, 3960 + run.sections[1].running_s * 1.05, 1e-6);
}

}  // namespace
}  // namespace scenario::timetable
