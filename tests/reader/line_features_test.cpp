#include "reader/line_features.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

#include "model/numeric.h"
#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;

constexpr int entry_line = 7;

// A route of `length` metres: cells 0 .. nearest((length + 7000) / 50).
compilation route_of_length(long_t length) {
  compilation c;
  c.percorso.resize(static_cast<std::size_t>(nearest((length + 7000) / 50.0)) + 1);
  return c;
}

// The placers return a refusal; these record it as the line reader does, at the entry's line.
void montagna(compilation& c, mountain_spans& spans, long_t inizio, long_t fine, long_t tipo) {
  if (auto refused = place_mountain_span(c, spans, {inizio, fine, tipo}))
    record_fault(c, *refused, source_file::line_description, entry_line);
}
void indicatori(compilation& c, const indicatori_entry& e) {
  if (auto refused = place_speed_board(c, e))
    record_fault(c, *refused, source_file::line_description, entry_line);
}

// ---- order_progressives ----

struct prog {
  long_t inizio, fine, posizione;
  friend bool operator==(const prog&, const prog&) = default;
};

struct progressive_case {
  const char* name;
  std::array<prog, 3> read;      // records 81, 82, 83 as read
  std::array<prog, 3> expected;  // records 81, 82, 83 after ordering
};

// Test listings name the case rather than dumping its bytes.
void PrintTo(const progressive_case& c, std::ostream* os) {
  *os << c.name;
}

class ProgressiveOrder : public ::testing::TestWithParam<progressive_case> {};

TEST_P(ProgressiveOrder, MovesRecordsWhole) {
  const progressive_case& tc = GetParam();
  compilation c;
  for (int i = 0; i < 3; ++i) {
    voce_generale& v = c.voci_generali[voce::progressiva_tre + i];
    v.inizio = tc.read[i].inizio;
    v.fine = tc.read[i].fine;
    v.posizione = tc.read[i].posizione;
    v.nome = "kept";
  }
  order_progressives(c);
  for (int i = 0; i < 3; ++i) {
    const voce_generale& v = c.voci_generali[voce::progressiva_tre + i];
    EXPECT_EQ((prog{v.inizio, v.fine, v.posizione}), tc.expected[i]) << "record " << 81 + i;
    EXPECT_EQ(v.nome, "kept");
  }
}

constexpr prog z{0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    , ProgressiveOrder,
    ::testing::Values(
        progressive_case{"BuiltIn",
                         {{{315950, 412050, 1}, {284500, -284500, 0}, {31100, 3050, 0}}},
                         {{{315950, 412150, 1}, {284500, -284500, 0}, {31100, 3050, 0}}}},
        progressive_case{"Reversed",
                         {{{100, 1, 0}, {200, 2, 0}, {300, 3, 0}}},
                         {{{300, 3, 0}, {200, 2, 0}, {100, 1, 0}}}},
        progressive_case{"TopIs82LowerByPosition",
                         {{{200, 1, 0}, {300, 2, 0}, {100, 3, 0}}},
                         {{{300, 2, 0}, {200, 1, 0}, {100, 3, 0}}}},
        progressive_case{"TopIs81TieGoesTo83",
                         {{{300, 1, 0}, {100, 2, 0}, {100, 3, 0}}},
                         {{{300, 1, 0}, {100, 3, 0}, {100, 2, 0}}}},
        progressive_case{"TopIs82TieGoesTo83",
                         {{{100, 1, 0}, {300, 2, 0}, {100, 3, 0}}},
                         {{{300, 2, 0}, {100, 3, 0}, {100, 1, 0}}}},
        progressive_case{"TopIs83TieGoesTo82",
                         {{{100, 1, 0}, {100, 2, 0}, {300, 3, 0}}},
                         {{{300, 3, 0}, {100, 2, 0}, {100, 1, 0}}}},
        progressive_case{
            "SharedLargestClearsAll", {{{300, 1, 1}, {300, 2, 0}, {100, 3, 0}}}, {{z, z, z}}},
        progressive_case{"NegativePositionsCompareSigned",
                         {{{-100, 1, 0}, {50, 2, 0}, {100, 3, 0}}},
                         {{{100, 3, 0}, {50, 2, 0}, {-100, 1, 0}}}},
        progressive_case{"SumZeroOnlyUno", {{z, z, {0, 3050, 0}}}, {{{0, 3050, 0}, z, z}}},
        progressive_case{"SumZeroDueDecides",
                         {{{-100, 1, 0}, {100, 2, 0}, {0, 0, 0}}},
                         {{{100, 2, 0}, {-100, 1, 0}, z}}},
        progressive_case{
            "SumZeroTreStays", {{{0, 5, 0}, {0, -1, 0}, {0, 0, 0}}}, {{{0, 5, 0}, {0, -1, 0}, z}}},
        progressive_case{
            "SumZeroNoPositiveValueClearsAll", {{{0, -5, 1}, {0, 0, 1}, {0, -7, 0}}}, {{z, z, z}}},
        progressive_case{"FlagOneAddsAfterOrderingFlagTwoDoesNot",
                         {{{100, 10, 2}, {200, 20, 1}, {300, 30, 1}}},
                         {{{300, 130, 1}, {200, 120, 1}, {100, 10, 2}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressiveOrderFailure, ValuePastLongAfterTheFlagIsAFailureOfTheReading) {
  compilation c;
  c.voci_generali[voce::progressiva_tre] = {};
  c.voci_generali[voce::progressiva_tre].inizio = 100;
  c.voci_generali[voce::progressiva_tre].fine = 2147483600;
  c.voci_generali[voce::progressiva_tre].posizione = 1;
  EXPECT_THROW(order_progressives(c), reading_failure);
}

// ---- place_mountain_span ----

std::set<long> cells_of_type(const compilation& c, byte_t tipo) {
  std::set<long> out;
  for (std::size_t i = 0; i < c.percorso.size(); ++i)
    if (c.percorso[i].tipo == tipo) out.insert(static_cast<long>(i));
  return out;
}

TEST(Mountain, BuiltInMarkedSpan) {
  compilation c = route_of_length(334000);
  mountain_spans spans;
  montagna(c, spans, 8750, 11150, 12);
  EXPECT_EQ(spans.count, 1);
  EXPECT_EQ(spans.inizio[1], 8750);
  EXPECT_EQ(spans.fine[1], 11150);
  for (std::size_t i = 170; i < 230; ++i)
    EXPECT_EQ(c.percorso[i].montagna, (i >= 175 && i <= 222) ? 2 : 0) << "cell " << i;
  std::set<long> markers;
  for (long i = 178; i <= 222; i += 4) markers.insert(i);
  EXPECT_EQ(cells_of_type(c, tipo_cella::montagna), markers);
  EXPECT_TRUE(c.diagnostics.empty());
}

struct span {
  long_t inizio, fine, tipo;
  byte_t stored;
  int markers;
};

// Spans laid in order on a fresh route; the last one is looked at.
struct spans_case {
  const char* what;
  std::vector<span> spans;
};

class MountainSpans : public ::testing::TestWithParam<spans_case> {};

TEST_P(MountainSpans, TypesGapsAndMarkers) {
  const std::vector<span>& laid = GetParam().spans;
  compilation c = route_of_length(10000);
  mountain_spans spans;
  for (const span& s : laid) montagna(c, spans, s.inizio, s.fine, s.tipo);
  const span& s = laid.back();
  const auto first = static_cast<std::size_t>(nearest(s.inizio / 50.0));
  const auto last = static_cast<long>(nearest(s.fine / 50.0 - 1));
  for (long i = static_cast<long>(first); i <= last; ++i)
    EXPECT_EQ(c.percorso[i].montagna, s.stored) << "cell " << i;
  EXPECT_EQ(cells_of_type(c, tipo_cella::montagna).size(), std::size_t(s.markers));
  EXPECT_EQ(spans.count, long_t(laid.size()));
}

INSTANTIATE_TEST_SUITE_P(
    , MountainSpans,
    ::testing::Values(
        spans_case{"10 is not a marked type", {{1000, 2000, 10, 10, 0}}},
        spans_case{"three cells have no marker", {{1000, 1150, 12, 2, 0}}},
        spans_case{"eight cells have two markers", {{1000, 1400, 13, 3, 2}}},
        spans_case{"empty span writes nothing", {{1000, 1000, 12, 0, 0}}},
        spans_case{"gap of 150 is continuous", {{0, 1000, 1, 1, 0}, {1150, 2150, 5, 3, 0}}},
        spans_case{"gap of 151 keeps its own type", {{0, 1000, 1, 1, 0}, {1151, 2151, 5, 5, 0}}},
        spans_case{"continuous and still marked", {{0, 1000, 1, 1, 0}, {1150, 2150, 15, 3, 5}}},
        spans_case{"overlap counts as a gap", {{0, 3000, 1, 1, 0}, {2000, 2200, 4, 3, 0}}},
        spans_case{"259 is a marked type too", {{0, 1000, 1, 1, 0}, {1100, 1300, 259, 3, 1}}},
        spans_case{"267 stored as its low byte", {{1000, 1200, 267, 1, 1}}},
        spans_case{"negative type stored as its low byte", {{1000, 1200, -1, 255, 0}}}),
    test_support::name_from_what{});

TEST(Mountain, MarkerOnlyWhereNothingStandsAndNoOtherTypeTouched) {
  compilation c = route_of_length(10000);
  c.percorso[23].tipo = tipo_cella::cartello_indicatore;  // the 4th cell of the span
  mountain_spans spans;
  montagna(c, spans, 1000, 1400, 12);
  EXPECT_EQ(c.percorso[23].tipo, tipo_cella::cartello_indicatore);
  EXPECT_EQ(c.percorso[23].montagna, 2);
  EXPECT_EQ(c.percorso[27].tipo, tipo_cella::montagna);
}

struct refused_span {
  const char* what;
  long_t inizio, fine;
  int spans_before;
  long_t code, position;
};

class RefusedSpan : public ::testing::TestWithParam<refused_span> {};

// Route of 1000 m: cells 0 .. 160.
TEST_P(RefusedSpan, WritesNothingAndIsRecordedAtTheEntry) {
  const refused_span& r = GetParam();
  compilation c = route_of_length(1000);
  mountain_spans spans;
  for (int i = 0; i < r.spans_before; ++i) montagna(c, spans, 100 * i, 100 * i + 50, 1);
  const std::vector<cella> before = c.percorso;
  montagna(c, spans, r.inizio, r.fine, 12);
  EXPECT_EQ(c.fault_code, r.code);
  EXPECT_EQ(c.fault_position, r.position);
  EXPECT_EQ(spans.count, r.spans_before);
  EXPECT_EQ(c.percorso, before);
  ASSERT_FALSE(c.diagnostics.empty());
  EXPECT_EQ(c.diagnostics.back().file, source_file::line_description);
  EXPECT_EQ(c.diagnostics.back().line, entry_line);
}

INSTANTIATE_TEST_SUITE_P(
    , RefusedSpan,
    ::testing::Values(refused_span{"starts before the route", -50, 1000, 0, 15, -50},
                      // last cell nearest(161.02) = 161 is past 160
                      refused_span{"ends past the cells", 1000, 8101, 0, 15, 8101},
                      refused_span{"the 81st span", 1000, 8000, 80, 105, 1000},
                      refused_span{"range tested before the count", -50, 1000, 80, 15, -50}),
    test_support::name_from_what{});

TEST(Mountain, SpanMayEndInTheLastCell) {
  compilation c = route_of_length(1000);
  mountain_spans spans;
  montagna(c, spans, 7000, 8050, 1);  // last cell 161 - 1 = 160: the last one
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.percorso[160].montagna, 1);
}

TEST(Mountain, FirstSpanNearTheStartKeepsItsType) {
  // No span before it: the gap test does not run, whatever the empty entry 0 of the tables holds.
  compilation c = route_of_length(10000);
  mountain_spans spans;
  montagna(c, spans, 100, 1000, 12);
  EXPECT_EQ(c.percorso[2].montagna, 2);
  // The second one, 150 m after it, is joined to it.
  montagna(c, spans, 1150, 2000, 12);
  EXPECT_EQ(c.percorso[23].montagna, 3);
}

TEST(Mountain, SpansSeventyNineAndEightyAreTheLastAccepted) {
  compilation c = route_of_length(100000);
  mountain_spans spans;
  for (int i = 1; i <= 78; ++i) montagna(c, spans, 1000 * i, 1000 * i + 500, 1);
  for (long_t n : {79, 80}) {
    montagna(c, spans, 1000 * n, 1000 * n + 500, 2);
    EXPECT_EQ(c.fault_code, 0) << n;
    EXPECT_EQ(spans.count, n);
    EXPECT_EQ(spans.inizio[n], 1000 * n);
    EXPECT_EQ(spans.fine[n], 1000 * n + 500);
    EXPECT_EQ(c.percorso[20 * n].montagna, 2) << n;
  }
  montagna(c, spans, 81000, 81500, 2);
  EXPECT_EQ(c.fault_code, 105);
  EXPECT_EQ(c.percorso[1620].montagna, 0);
}

// ---- place_speed_board ----

struct board_case {
  const char* what;
  long_t posizione, vas, vbs, vcs;
  integer_t strisces;
  long_t vad, vbd, vcd;
  integer_t strisced;
  std::size_t cell;
  integer_t v1, v2, v3, v4;
};

class SpeedBoardValues : public ::testing::TestWithParam<board_case> {};

TEST_P(SpeedBoardValues, BuiltInExamplesAndRounding) {
  const board_case& b = GetParam();
  compilation c = route_of_length(334000);
  indicatori(c, {b.posizione, b.vas, b.vbs, b.vcs, b.strisces, b.vad, b.vbd, b.vcd, b.strisced});
  const cella& cell = c.percorso[b.cell];
  EXPECT_EQ(cell.tipo, tipo_cella::indicatori_v_max);
  EXPECT_EQ(cell.valore1, b.v1);
  EXPECT_EQ(cell.valore2, b.v2);
  EXPECT_EQ(cell.valore3, b.v3);
  EXPECT_EQ(cell.valore4, b.v4);
  EXPECT_EQ(c.fault_code, 0);
}

INSTANTIATE_TEST_SUITE_P(
    , SpeedBoardValues,
    ::testing::Values(
        board_case{"both sides", 7300, 75, 80, 85, 0, 75, 80, 85, 0, 147, 1515, 1616, 1717, 0},
        board_case{"stripes", 26350, 130, 140, 145, 2, 130, 140, 145, 2, 528, 2626, 2828, 2929, 22},
        board_case{"left side only", 1000, 90, 95, 100, 0, 0, 0, 0, 0, 21, 1800, 1900, 2000, 0},
        // 75/50+1 = 2.5 -> 2; 2.4, 2.6, -2.4
        board_case{"rounding", 75, 1, 0, 0, 0, 12, 13, -12, -3, 2, 22, 3, -2, -3}),
    test_support::name_from_what{});

TEST(SpeedBoard, ReplacesASceneryMark) {
  compilation c = route_of_length(10000);
  c.percorso[147].tipo = tipo_cella::montagna;
  indicatori(c, {7300, 75, 80, 85, 0, 75, 80, 85, 0});
  EXPECT_EQ(c.percorso[147].tipo, tipo_cella::indicatori_v_max);
  EXPECT_EQ(c.fault_code, 0);
}

class SpeedBoardOnAnObject : public ::testing::TestWithParam<byte_t> {};

TEST_P(SpeedBoardOnAnObject, IsRefusedAndLeavesTheCell) {
  compilation c = route_of_length(10000);
  c.percorso[147].tipo = GetParam();
  c.percorso[147].valore1 = 77;
  indicatori(c, {7300, 75, 80, 85, 0, 75, 80, 85, 0});
  EXPECT_EQ(c.percorso[147].tipo, GetParam());
  EXPECT_EQ(c.percorso[147].valore1, 77);
  EXPECT_EQ(c.fault_code, 21);
  EXPECT_EQ(c.fault_position, 7300);
  EXPECT_EQ(c.diagnostics.back().line, entry_line);
}

INSTANTIATE_TEST_SUITE_P(, SpeedBoardOnAnObject,
                         ::testing::Values(tipo_cella::indicatori_v_max,
                                           tipo_cella::cartello_indicatore, tipo_cella::segnale),
                         [](const ::testing::TestParamInfo<byte_t>& info) {
                           return test_support::case_name(object_name(info.param));
                         });

struct overflow {
  const char* what;
  long_t vas, vad;
  integer_t strisces, strisced;
};

class SpeedBoardOverflow : public ::testing::TestWithParam<overflow> {};

TEST_P(SpeedBoardOverflow, FailsTheReadingAndLeavesTheCell) {
  const overflow& o = GetParam();
  compilation c = route_of_length(10000);
  c.percorso[147].tipo = tipo_cella::montagna;
  const cella before = c.percorso[147];
  EXPECT_THROW(indicatori(c, {7300, o.vas, 0, 0, o.strisces, o.vad, 0, 0, o.strisced}),
               reading_failure);
  EXPECT_EQ(c.percorso[147], before);
}

INSTANTIATE_TEST_SUITE_P(, SpeedBoardOverflow,
                         ::testing::Values(overflow{"speed value 32768", 1638, 40, 0, 0},
                                           overflow{"speed value minus 32780", -1639, 0, 0, 0},
                                           overflow{"32768 stripes", 0, 0, 3276, 8}),
                         test_support::name_from_what{});

TEST(SpeedBoard, LargestValuesFit) {
  compilation c = route_of_length(10000);
  indicatori(c, {7300, 1638, 0, 0, 3276, 35, 0, 0, 7});
  EXPECT_EQ(c.percorso[147].valore1, 32767);
  EXPECT_EQ(c.percorso[147].valore4, 32767);
}

class SpeedBoardOutsideTheRoute : public ::testing::TestWithParam<long_t> {};

// Route of 1000 m: last cell 160; 8051 m gives nearest(8051/50+1) = 162.
TEST_P(SpeedBoardOutsideTheRoute, IsFault15AndWritesNothing) {
  compilation c = route_of_length(1000);
  const std::vector<cella> before = c.percorso;
  indicatori(c, {GetParam(), 75, 80, 85, 0, 75, 80, 85, 0});
  EXPECT_EQ(c.fault_code, 15);
  EXPECT_EQ(c.fault_position, GetParam());
  EXPECT_EQ(c.percorso, before);
}

INSTANTIATE_TEST_SUITE_P(, SpeedBoardOutsideTheRoute, ::testing::Values(-1, -100, 8051),
                         [](const ::testing::TestParamInfo<long_t>& info) {
                           return test_support::spelled_name(std::to_string(info.param));
                         });

}  // namespace
}  // namespace scenario
