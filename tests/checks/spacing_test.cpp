#include "checks/spacing.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;
using cells = std::vector<long_t>;

constexpr byte_t signal = tipo_cella::segnale;
constexpr byte_t end = tipo_cella::fine_rallentamento;
constexpr byte_t start = tipo_cella::inizio_rallentamento;
constexpr byte_t warning = tipo_cella::avviso_rallentamento;
constexpr byte_t station = tipo_cella::stazione;
constexpr byte_t scenery = tipo_cella::montagna;
constexpr byte_t cut = tipo_cella::abbattimento;

// A route of cells 0 .. last, all empty. The vector is sized exactly, so the address sanitizer
// catches any read past the last cell.
compilation route_to_cell(long_t last) {
  compilation c;
  c.percorso.assign(static_cast<std::size_t>(last + 1), cella{});
  return c;
}

void put(compilation& c, long_t index, byte_t tipo, integer_t valore1 = 0) {
  c.percorso.at(static_cast<std::size_t>(index)).tipo = tipo;
  c.percorso.at(static_cast<std::size_t>(index)).valore1 = valore1;
}

void put_all(compilation& c, std::initializer_list<long_t> indices, byte_t tipo) {
  for (long_t i : indices) put(c, i, tipo);
}

cella holding(byte_t tipo, integer_t valore1 = 0) {
  cella c;
  c.tipo = tipo;
  c.valore1 = valore1;
  return c;
}

const cella& at(const compilation& c, long_t index) {
  return c.percorso.at(static_cast<std::size_t>(index));
}

// Runs the pass and returns the cells it changed, checking that each change is a new marker
// and nothing else.
cells run_and_collect_markers(compilation& c) {
  const std::vector<cella> before = c.percorso;
  run_spacing_pass(c);
  EXPECT_EQ(c.percorso.size(), before.size());
  cells placed;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (c.percorso[i] == before[i]) continue;
    cella expected = before[i];
    expected.tipo = cut;
    expected.valore1 = 180;
    EXPECT_TRUE(c.percorso[i] == expected) << "cell " << i << " changed but is not a new marker";
    placed.push_back(static_cast<long_t>(i));
  }
  return placed;
}

struct fault {
  std::int32_t code;
  std::int32_t metres;
};

void expect_faults(const compilation& c, const std::vector<fault>& expected) {
  ASSERT_EQ(c.diagnostics.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(c.diagnostics[i].code, expected[i].code) << "fault " << i;
    EXPECT_EQ(c.diagnostics[i].position, expected[i].metres) << "fault " << i;
    EXPECT_EQ(c.diagnostics[i].sev, severity::warning) << "fault " << i;
    EXPECT_EQ(c.diagnostics[i].file, source_file::none) << "fault " << i;
    EXPECT_EQ(c.diagnostics[i].line, 0) << "fault " << i;
  }
  if (expected.empty()) {
    EXPECT_EQ(c.fault_code, 0);
    EXPECT_EQ(c.fault_position, std::nullopt);
  } else {
    EXPECT_EQ(c.fault_code, expected.back().code);
    EXPECT_EQ(c.fault_position, expected.back().metres);
  }
}

TEST(Minimo, ReturnsTheSmallerAndTheFirstOnATie) {
  EXPECT_EQ(smaller_of(tagged_value::integer(180), tagged_value::integer(220)),
            tagged_value::integer(180));
  EXPECT_EQ(smaller_of(tagged_value::integer(180), tagged_value::integer(150)),
            tagged_value::integer(150));
  // On a tie the first comes back, with its own kind.
  EXPECT_EQ(smaller_of(tagged_value::integer(180), tagged_value::long_(180)),
            tagged_value::integer(180));
  EXPECT_EQ(smaller_of(tagged_value::long_(180), tagged_value::integer(180)),
            tagged_value::long_(180));
}

TEST(SpacingPass, WorkedExampleSlowRestriction) {
  compilation c = route_to_cell(200);
  put(c, 100, start, 60);
  put(c, 120, end, 60);
  EXPECT_EQ(run_and_collect_markers(c), (cells{82, 89, 95, 108, 116}));
  expect_faults(c, {});
}

struct speed_example {
  integer_t speed;
  cells markers;
};

class RestrictionSpeed : public ::testing::TestWithParam<speed_example> {};

TEST_P(RestrictionSpeed, SlowMeansBelow110) {
  compilation c = route_to_cell(200);
  put(c, 100, start, GetParam().speed);
  put(c, 120, end, GetParam().speed);
  EXPECT_EQ(run_and_collect_markers(c), GetParam().markers);
  expect_faults(c, {});
}

INSTANTIATE_TEST_SUITE_P(, RestrictionSpeed,
                         ::testing::Values(speed_example{109, {82, 89, 95, 108, 116}},
                                           speed_example{110, {82, 89, 95}},
                                           speed_example{130, {82, 89, 95}}),
                         [](const ::testing::TestParamInfo<speed_example>& info) {
                           return std::to_string(info.param.speed) + "_km_h";
                         });

struct room_example {
  long_t start_cell;
  cells markers;
};

class FixedWindows : public ::testing::TestWithParam<room_example> {};

TEST_P(FixedWindows, NeedRoomBeforeTheStart) {
  compilation c = route_to_cell(60);
  put(c, GetParam().start_cell, start, 130);
  put(c, GetParam().start_cell + 4, end, 130);
  EXPECT_EQ(run_and_collect_markers(c), GetParam().markers);
  expect_faults(c, {});
}

INSTANTIATE_TEST_SUITE_P(, FixedWindows,
                         ::testing::Values(room_example{7, {}}, room_example{8, {3}},
                                           room_example{13, {8}}, room_example{14, {3, 9}},
                                           room_example{20, {9, 15}},
                                           room_example{21, {3, 10, 16}}),
                         [](const ::testing::TestParamInfo<room_example>& info) {
                           return "start_in_cell_" + std::to_string(info.param.start_cell);
                         });

TEST(SpacingPass, FixedWindowTakesFirstFreeCandidate) {
  // Scenery counts as free; a station or a cut point does not.
  compilation c = route_to_cell(200);
  put(c, 100, start, 130);
  put(c, 110, end, 130);
  put(c, 95, scenery);
  put_all(c, {89, 88}, station);
  put(c, 82, cut, 270);
  put(c, 81, signal);
  EXPECT_EQ(run_and_collect_markers(c), (cells{80, 87, 95}));
  expect_faults(c, {});
}

TEST(SpacingPass, TakenWindowGivesFault12AndTheOtherWindowsGoOn) {
  compilation c = route_to_cell(200);
  put(c, 100, start, 130);
  put(c, 110, end, 130);
  put_all(c, {95, 94, 93}, station);
  EXPECT_EQ(run_and_collect_markers(c), (cells{82, 89}));
  expect_faults(c, {fault{12, 5000}});
}

struct inside_example {
  const char* what;
  long_t end_cell;
  std::vector<long_t> taken;
  cells inside_markers;
};

class EndEightCellsAfterStart : public ::testing::TestWithParam<inside_example> {};

// A slow restriction from cell 50: the fixed markers 32, 39 and 45, then those inside.
TEST_P(EndEightCellsAfterStart, MarkerInsideOrAfter) {
  const inside_example& e = GetParam();
  compilation c = route_to_cell(100);
  put(c, 50, start, 60);
  put(c, e.end_cell, end, 60);
  for (long_t t : e.taken) put(c, t, station);
  cells expected = {32, 39, 45};
  expected.insert(expected.end(), e.inside_markers.begin(), e.inside_markers.end());
  EXPECT_EQ(run_and_collect_markers(c), expected);
  expect_faults(c, {});
}

INSTANTIATE_TEST_SUITE_P(
    , EndEightCellsAfterStart,
    ::testing::Values(inside_example{"seven cells: no marker inside", 57, {}, {}},
                      inside_example{"eight cells: marker before the end", 58, {}, {57}},
                      inside_example{
                          "eight cells, cell before taken: marker after the end", 58, {57}, {59}}),
    test_support::name_from_what{});

class InsideMarkers : public ::testing::TestWithParam<inside_example> {};

// A slow restriction from cell 100 to 120: the fixed markers 82, 89 and 95, then those inside.
TEST_P(InsideMarkers, StayEightCellsApartWhicheverNeighbourTookOne) {
  const inside_example& e = GetParam();
  compilation c = route_to_cell(200);
  put(c, 100, start, 60);
  put(c, e.end_cell, end, 60);
  for (long_t t : e.taken) put(c, t, station);
  cells expected = {82, 89, 95};
  expected.insert(expected.end(), e.inside_markers.begin(), e.inside_markers.end());
  EXPECT_EQ(run_and_collect_markers(c), expected);
  expect_faults(c, {});
}

INSTANTIATE_TEST_SUITE_P(
    , InsideMarkers,
    ::testing::Values(
        inside_example{"due cell taken: cell before, next 8 later", 120, {108}, {107, 115}},
        inside_example{"due cell and cell before taken: cell after, next 8 later",
                       120,
                       {107, 108},
                       {109, 117}}),
    test_support::name_from_what{});

TEST(SpacingPass, Fault13InsideStopsFurtherInsideMarkers) {
  compilation c = route_to_cell(200);
  put(c, 100, start, 60);
  put(c, 130, end, 60);
  put_all(c, {107, 108, 109}, station);
  // No marker at 116 or 124: the counter runs on past 8.
  EXPECT_EQ(run_and_collect_markers(c), (cells{82, 89, 95}));
  expect_faults(c, {fault{13, 5400}});
}

struct after_example {
  const char* what;
  std::vector<long_t> signals;
  std::vector<long_t> taken;
  cells after_markers;
};

class FirstSignalAfterTheEnd : public ::testing::TestWithParam<after_example> {};

// Fast restriction 100 .. 110, so only the fixed markers 82, 89, 95 come before it.
TEST_P(FirstSignalAfterTheEnd, GetsAMarker) {
  const after_example& e = GetParam();
  compilation c = route_to_cell(200);
  put(c, 100, start, 130);
  put(c, 110, end, 130);
  for (long_t s : e.signals) put(c, s, signal);
  for (long_t t : e.taken) put(c, t, station);
  cells expected = {82, 89, 95};
  expected.insert(expected.end(), e.after_markers.begin(), e.after_markers.end());
  EXPECT_EQ(run_and_collect_markers(c), expected);
  expect_faults(c, {});
}

INSTANTIATE_TEST_SUITE_P(
    , FirstSignalAfterTheEnd,
    ::testing::Values(after_example{"signal 12 cells after the end", {122}, {}, {121}},
                      after_example{"signal 13 cells after the end is too far", {123}, {}, {}},
                      after_example{"only the first signal", {115, 120}, {}, {114}},
                      after_example{"cell in front taken: the one before it", {115}, {114}, {113}},
                      after_example{"signal next to the end: the end cell is taken, marker inside",
                                    {111},
                                    {},
                                    {109}}),
    test_support::name_from_what{});

TEST(SpacingPass, Fault13AfterTheEndIsPlacedAtTheEndCell) {
  compilation c = route_to_cell(200);
  put(c, 100, start, 60);
  put(c, 120, end, 60);
  put(c, 125, signal);
  put_all(c, {124, 123}, station);
  EXPECT_EQ(run_and_collect_markers(c), (cells{82, 89, 95, 108, 116}));
  expect_faults(c, {fault{13, 6000}});
}

TEST(SpacingPass, FastRestrictionLooksFromItsOwnEnd) {
  compilation c = route_to_cell(300);
  // A slow restriction first leaves the scan at its end, cell 120, with a signal after it.
  put(c, 100, start, 60);
  put(c, 120, end, 60);
  put(c, 130, signal);
  // Then a fast one, whose first signal after its end is at 170. Looking from the slow one's end
  // instead would find 130 again and mark 128.
  put(c, 160, start, 130);
  put(c, 165, end, 130);
  put(c, 170, signal);
  EXPECT_EQ(run_and_collect_markers(c), (cells{82, 89, 95, 108, 116, 129, 142, 149, 155, 169}));
  expect_faults(c, {});
}

TEST(SpacingPass, StartWithoutEndStopsAtTheLastCell) {
  {
    SCOPED_TRACE("slow: inside markers up to the last cell, no look-ahead");
    compilation c = route_to_cell(60);
    put(c, 40, start, 60);
    put_all(c, {58, 60}, signal);
    EXPECT_EQ(run_and_collect_markers(c), (cells{22, 29, 35, 48, 56}));
    expect_faults(c, {});
  }
  {
    SCOPED_TRACE("slow: marker due on the last cell, it and the one before taken");
    compilation c = route_to_cell(48);
    put(c, 40, start, 60);
    put_all(c, {47, 48}, station);
    EXPECT_EQ(run_and_collect_markers(c), (cells{22, 29, 35}));
    expect_faults(c, {fault{13, 2400}});
  }
  {
    SCOPED_TRACE("fast: no look-ahead");
    compilation c = route_to_cell(60);
    put(c, 40, start, 130);
    put_all(c, {50, 60}, signal);
    EXPECT_EQ(run_and_collect_markers(c), (cells{22, 29, 35}));
    expect_faults(c, {});
  }
}

struct board_example {
  const char* what;
  long_t board;
  std::vector<long_t> signals;
  cells markers;
};

class SignalsBeforeAWarningBoard : public ::testing::TestWithParam<board_example> {};

TEST_P(SignalsBeforeAWarningBoard, WithinThe1000MetresGetAMarker) {
  const board_example& e = GetParam();
  compilation c = route_to_cell(100);
  put(c, e.board, warning, 60);
  for (long_t s : e.signals) put(c, s, signal);
  EXPECT_EQ(run_and_collect_markers(c), e.markers);
  expect_faults(c, {});
}

INSTANTIATE_TEST_SUITE_P(
    , SignalsBeforeAWarningBoard,
    ::testing::Values(board_example{"board at 10 examines 9 down to 3", 10, {3, 9}, {2, 8}},
                      board_example{"cell 2 is never examined", 10, {2}, {}},
                      board_example{
                          "every signal among the 20 cells before", 40, {20, 30, 39}, {19, 29, 38}},
                      board_example{"21 cells before is too far", 40, {19}, {}},
                      // The pass examines cells 1 to last - 2 only.
                      board_example{"board on the last cell but two", 98, {90}, {89}},
                      board_example{"board on the last cell but one", 99, {90}, {}}),
    test_support::name_from_what{});

struct front_example {
  const char* what;
  cella in_front;      // cell 29
  cella two_in_front;  // cell 28
  integer_t valore1_29;
  integer_t valore1_28;
  byte_t tipo_28;  // after the pass
  std::vector<fault> faults;
};

class SignalBeforeAWarningBoard : public ::testing::TestWithParam<front_example> {};

// The board in cell 40, the signal in cell 30.
TEST_P(SignalBeforeAWarningBoard, FallsBackOnItsFrontCells) {
  const front_example& e = GetParam();
  compilation c = route_to_cell(100);
  put(c, 40, warning, 60);
  put(c, 30, signal);
  c.percorso[29] = e.in_front;
  c.percorso[28] = e.two_in_front;
  run_spacing_pass(c);
  EXPECT_EQ(at(c, 29).tipo, e.in_front.tipo);
  EXPECT_EQ(at(c, 29).valore1, e.valore1_29);
  EXPECT_EQ(at(c, 28).tipo, e.tipo_28);
  EXPECT_EQ(at(c, 28).valore1, e.valore1_28);
  expect_faults(c, e.faults);
}

INSTANTIATE_TEST_SUITE_P(, SignalBeforeAWarningBoard,
                         ::testing::Values(front_example{"cell in front taken: marker two in front",
                                                         holding(station),
                                                         holding(tipo_cella::nulla),
                                                         0,
                                                         180,
                                                         cut,
                                                         {}},
                                           front_example{"cut point of 220 in front is lowered",
                                                         holding(cut, 220),
                                                         holding(signal),
                                                         180,
                                                         0,
                                                         signal,
                                                         {}},
                                           front_example{"cut point of 150 in front stays",
                                                         holding(cut, 150),
                                                         holding(signal),
                                                         150,
                                                         0,
                                                         signal,
                                                         {}},
                                           front_example{"cut point two in front is lowered",
                                                         holding(station),
                                                         holding(cut, 220),
                                                         0,
                                                         180,
                                                         cut,
                                                         {}},
                                           front_example{"free beats a cut point",
                                                         holding(cut, 220),
                                                         holding(tipo_cella::nulla),
                                                         220,
                                                         180,
                                                         cut,
                                                         {}},
                                           front_example{"no free cell, no cut point",
                                                         holding(station),
                                                         holding(signal),
                                                         0,
                                                         0,
                                                         signal,
                                                         {fault{11, 1500}}}),
                         test_support::name_from_what{});

TEST(SpacingPass, LastFaultWinsAndEveryFaultIsKept) {
  compilation c = route_to_cell(200);
  put(c, 60, warning, 60);
  put(c, 50, signal);
  put_all(c, {49, 48}, station);
  put(c, 100, start, 60);
  put(c, 120, end, 60);
  put_all(c, {95, 94, 93}, station);
  put_all(c, {107, 108, 109}, station);
  run_spacing_pass(c);
  expect_faults(c, {fault{11, 2500}, fault{12, 5000}, fault{13, 5400}});
}

TEST(SpacingPass, RouteWithoutRestrictionsIsLeftUntouched) {
  compilation c = route_to_cell(100);
  put(c, 10, signal);
  put(c, 20, cut, 270);
  put_all(c, {30, 31, 32}, scenery);
  put(c, 40, station);
  put(c, 50, tipo_cella::indicatori_v_max, 120);
  // A code left by the reader survives.
  c.fault_code = 7;
  c.fault_position = 1000;
  const std::vector<cella> before = c.percorso;
  run_spacing_pass(c);
  EXPECT_TRUE(c.percorso == before);
  EXPECT_EQ(c.fault_code, 7);
  EXPECT_EQ(c.fault_position, 1000);
  EXPECT_TRUE(c.diagnostics.empty());

  compilation unsized;
  run_spacing_pass(unsized);
  EXPECT_TRUE(unsized.percorso.empty());
}

}  // namespace
}  // namespace scenario
