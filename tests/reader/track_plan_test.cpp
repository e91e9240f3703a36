#include "reader/track_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;

struct curvature_case {
  const char* key;
  std::optional<double> k;  // none: no class digit 1 to 6
};

class Curvature : public ::testing::TestWithParam<curvature_case> {};

TEST_P(Curvature, FromTheClassDigitAndTheSide) {
  EXPECT_EQ(curvature_of(GetParam().key), GetParam().k);
}

INSTANTIATE_TEST_SUITE_P(
    , Curvature,
    ::testing::Values(curvature_case{"curvas1", -0.0001}, curvature_case{"curvad1", 0.0001},
                      curvature_case{"curvad2", 0.0002}, curvature_case{"curvad3", 0.0004},
                      curvature_case{"curvad4", 0.001}, curvature_case{"curvad5", 0.002},
                      curvature_case{"curvad6", 0.003}, curvature_case{"CURVAS6", -0.003},
                      curvature_case{"curvad21", 0.0001},  // 1 comes first
                      curvature_case{"curvad7 2", 0.0002}, curvature_case{"curvad", std::nullopt},
                      curvature_case{"curvas0", std::nullopt},
                      curvature_case{"curva 789", std::nullopt}),
    [](const ::testing::TestParamInfo<curvature_case>& info) {
      return test_support::case_name(info.param.key);
    });

tracciato_t plan_of(std::size_t last_point) {
  tracciato_t t;
  t.resize(last_point);
  return t;
}

TEST(TrackPlan, StartPointsAreIntegers) {
  tracciato_t t = plan_of(10);
  EXPECT_EQ(start_track_plan(t), 2);
  const track_points e = all_points(t);
  EXPECT_EQ(e.get(0, 0), tagged_value::integer(0));
  EXPECT_EQ(e.get(0, 1), tagged_value::integer(0));
  EXPECT_EQ(e.get(1, 0), tagged_value::integer(0));
  EXPECT_EQ(e.get(1, 1), tagged_value::integer(1));
  EXPECT_EQ(e.get(2, 0).kind, value_kind::empty);
}

TEST(TrackPlan, TailAloneIsAStraightLineStoppingTwoPointsShort) {
  tracciato_t t = plan_of(7000);
  long_t metro = start_track_plan(t);
  track_plan_tail(t, metro);
  const track_points e = all_points(t);
  for (std::size_t m = 2; m <= 6998; ++m) {
    ASSERT_EQ(e.get(m, 0), tagged_value::double_(0.0)) << m;
    ASSERT_EQ(e.get(m, 1), tagged_value::double_(double(m))) << m;
  }
  EXPECT_EQ(e.get(6999, 0).kind, value_kind::empty);
  EXPECT_EQ(e.get(7000, 1).kind, value_kind::empty);
  EXPECT_EQ(metro, 6999);
}

TEST(TrackPlan, FirstCurvedPointTurnsTheFirstStep) {
  tracciato_t t = plan_of(7000);
  long_t metro = start_track_plan(t);
  ASSERT_TRUE(curve_step(t, "curvad1", 0, 150, metro));
  const track_points e = all_points(t);
  EXPECT_EQ(e.get(2, 0), tagged_value::double_(0.0001));
  EXPECT_EQ(e.get(2, 1), tagged_value::double_(2.0));
  EXPECT_EQ(metro, 151);
  EXPECT_EQ(e.get(151, 0).kind, value_kind::empty);
}

// Reference values computed separately, operation by operation in IEEE double without fused
// multiply-add: a straight start, a right curve, a left curve and a curve overlapping it.
TEST(TrackPlan, BitExactAlongCurvesAndTail) {
  tracciato_t t = plan_of(7000);
  long_t metro = start_track_plan(t);
  ASSERT_TRUE(curve_step(t, "curvad1", 0, 150, metro));
  ASSERT_TRUE(curve_step(t, "curvas3", 1350, 150, metro));
  ASSERT_TRUE(curve_step(t, "curvad6", 1400, 200, metro));  // starts before metro 1501
  EXPECT_EQ(metro, 1601);
  track_plan_tail(t, metro);
  const track_points e = all_points(t);

  struct point_case {
    std::size_t m;
    double x, y;
  };
  const point_case expected[] = {
      {3, 0x1.3a92a30553262p-12, 0x1.7fffffea86712p+1},
      {150, 0x1.1e1326f8acf26p+0, 0x1.2bfd2d6866c85p+7},
      {151, 0x1.21e39a6cf38d7p+0, 0x1.2dfd1ef4c188ap+7},
      {1350, 0x1.2ff305803a3dap+4, 0x1.51772dea39899p+10},
      {1500, 0x1.0b3c60e153e8fp+4, 0x1.76f4ae6009d7ap+10},
      {1501, 0x1.0a8ffc1a4e959p+4, 0x1.7734a023d7269p+10},
      {1600, 0x1.b4938100e212cp+4, 0x1.8fba2af42ed9ep+10},
      {6998, 0x1.5b409e7e01f30p+10, 0x1.aa8e9123d1288p+12},
  };
  for (const auto& p : expected) {
    EXPECT_EQ(e.get(p.m, 0), tagged_value::double_(p.x)) << p.m;
    EXPECT_EQ(e.get(p.m, 1), tagged_value::double_(p.y)) << p.m;
  }
  EXPECT_EQ(e.get(6999, 0).kind, value_kind::empty);
}

TEST(TrackPlan, CurvedStepGrowsAndTurns) {
  tracciato_t t = plan_of(1000);
  long_t metro = start_track_plan(t);
  ASSERT_TRUE(curve_step(t, "curvas5", 0, 500, metro));
  const track_points e = all_points(t);
  const double k = -0.002;
  auto step = [&](std::size_t m) { return std::hypot(e.x(m) - e.x(m - 1), e.y(m) - e.y(m - 1)); };
  EXPECT_NEAR(step(500) / step(499), std::sqrt(1 + k * k), 1e-12);
  // A left-hand curve ("s") turns towards the negative first coordinate.
  EXPECT_LT(e.x(500), 0.0);
  const double turned = std::atan2(e.x(500) - e.x(499), e.y(500) - e.y(499));
  EXPECT_NEAR(turned, 499 * std::atan(k), 1e-9);
}

struct refused_curve {
  const char* what;
  const char* key;
  long_t start, length;
};

class RefusedCurve : public ::testing::TestWithParam<refused_curve> {};

TEST_P(RefusedCurve, WritesNothing) {
  const refused_curve& r = GetParam();
  tracciato_t t = plan_of(1000);
  long_t metro = start_track_plan(t);
  EXPECT_FALSE(curve_step(t, r.key, r.start, r.length, metro));
  EXPECT_EQ(metro, 2);
  EXPECT_EQ(all_points(t).get(2, 0).kind, value_kind::empty);
}

INSTANTIATE_TEST_SUITE_P(
    , RefusedCurve,
    ::testing::Values(refused_curve{"no class digit", "curvad", 100, 50},
                      refused_curve{"ending past the last point", "curvad1", 950, 51},  // at 1001
                      refused_curve{"starting past the last point", "curvad1", 1001, -10}),
    test_support::name_from_what{});

TEST(TrackPlan, CurveMayEndOnTheLastPoint) {
  tracciato_t t = plan_of(1000);
  long_t metro = start_track_plan(t);
  EXPECT_TRUE(curve_step(t, "curvad1", 950, 50, metro));
  EXPECT_EQ(all_points(t).get(1000, 0).kind, value_kind::double_);
}

TEST(TrackPlan, PlanStopsAfterMetreOneMillion) {
  tracciato_t t = plan_of(1007000);
  long_t metro = start_track_plan(t);
  EXPECT_FALSE(curve_step(t, "curvad1", 999000, 2000, metro));
  EXPECT_EQ(metro, 1000001);
  const track_points e = all_points(t);
  EXPECT_EQ(e.get(1000000, 1).kind, value_kind::double_);
  EXPECT_EQ(e.get(1000001, 1).kind, value_kind::empty);

  // The tail has no such limit.
  tracciato_t tail = plan_of(1007000);
  metro = start_track_plan(tail);
  track_plan_tail(tail, metro);
  EXPECT_EQ(all_points(tail).get(1006998, 1), tagged_value::double_(1006998.0));
}

}  // namespace
}  // namespace scenario
