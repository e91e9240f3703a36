#include "reader/stations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/numeric.h"
#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;

// The values of one "stazione" entry, in file order.
struct station_entry {
  long_t posizione = 0;
  int tipo = 0;
  long_t length = 0;
  int ottetto0 = 0, ottetto4 = 0, ottetto3 = 0;
  int intero1 = 0, intero2 = 0, ottetto1 = 0, intero3 = 0, intero4 = 0, intero5 = 0, ottetto2 = 0;
  long_t hours = 0, minutes = 0, seconds = 0;
  std::string nome;

  // As the train reader fills it; a time that does not fit throws, as it does there.
  stazione_entry as_read() const {
    return {posizione,
            static_cast<byte_t>(tipo),
            length,
            static_cast<byte_t>(ottetto0),
            static_cast<byte_t>(ottetto4),
            static_cast<byte_t>(ottetto3),
            static_cast<integer_t>(intero1),
            static_cast<integer_t>(intero2),
            static_cast<byte_t>(ottetto1),
            static_cast<integer_t>(intero3),
            static_cast<integer_t>(intero4),
            static_cast<integer_t>(intero5),
            static_cast<byte_t>(ottetto2),
            hours,
            minutes,
            seconds,
            nome,
            station_time(hours, minutes, seconds)};
  }
};

// Where the train reading goes after the step, as the reader decides it from the refusal.
enum class station_flow { go_on, end_steps, stop };

// Runs the step as the train reader does: the position, then the length, then the placing;
// a refusal is recorded at `line`, and a refused position or length leaves the position stored.
station_flow place_station(compilation& c, long_t& k, const station_entry& e,
                           long_t next_board_record, int line) {
  std::optional<fault> refused = station_position_fault(c, e.posizione);
  if (!refused) refused = station_length_fault(e.posizione, e.length, {line, 0});
  if (refused) {
    stazione_entry stored;
    stored.posizione = e.posizione;
    store_station_values(c.voci_generali[static_cast<std::size_t>(k)], stored);
  } else {
    refused = scenario::place_station(c, k, e.as_read(), next_board_record);
  }
  if (!refused) return station_flow::go_on;
  record_fault(c, *refused, source_file::train_scenario, line);
  return refused->code == 15 ? station_flow::end_steps : station_flow::stop;
}

// The first built-in station: "stazione, 0, 8, 500, 1, 0, 0, 3,1,0, 2,1,1, 1, 23,15,30, Roma
// Termini".
station_entry roma_termini() {
  station_entry e;
  e.posizione = 0;
  e.tipo = 8;
  e.length = 500;
  e.ottetto0 = 1;
  e.intero1 = 3;
  e.intero2 = 1;
  e.intero3 = 2;
  e.intero4 = 1;
  e.intero5 = 1;
  e.ottetto2 = 1;
  e.hours = 23;
  e.minutes = 15;
  e.seconds = 30;
  e.nome = "Roma Termini";
  return e;
}

station_entry station(long_t posizione, int tipo, long_t length, int fifth = 0, int sixth = 0) {
  station_entry e;
  e.posizione = posizione;
  e.tipo = tipo;
  e.length = length;
  e.ottetto4 = fifth;
  e.ottetto3 = sixth;
  e.nome = "S";
  return e;
}

class StationsTest : public ::testing::Test {
 protected:
  void SetUp() override { c.percorso.assign(1001, cella{}); }  // cells 0 .. 1000

  station_flow step(const station_entry& e, long_t next_board_record = 80) {
    return place_station(c, k, e, next_board_record, 7);
  }

  // Station k - 1 ends at `fine`, as a station before the one under test.
  void after_station_ending_at(long_t fine, long_t number = 5) {
    c.voci_generali[number].fine = fine;
    k = number + 1;
  }

  // Cells whose tipo or preavviso is not 0: {index, tipo, preavviso}.
  std::vector<std::array<int, 3>> marked() const {
    std::vector<std::array<int, 3>> out;
    for (std::size_t i = 0; i < c.percorso.size(); ++i)
      if (c.percorso[i].tipo != 0 || c.percorso[i].preavviso != 0)
        out.push_back({int(i), c.percorso[i].tipo, c.percorso[i].preavviso});
    return out;
  }

  compilation c;
  long_t k = 1;
};

TEST_F(StationsTest, FirstBuiltInStation) {
  station_entry e = roma_termini();
  e.ottetto4 = 1;  // never kept by the first station
  e.ottetto3 = 1;
  ASSERT_EQ(step(e), station_flow::go_on);
  EXPECT_EQ(k, 2);
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_TRUE(c.diagnostics.empty());

  const voce_generale& r = c.voci_generali[1];
  EXPECT_EQ(r.posizione, 0);
  EXPECT_EQ(r.tipo, 8);
  EXPECT_EQ(r.inizio, -500);
  EXPECT_EQ(r.fine, 500);
  EXPECT_EQ(r.ottetto0, 1);
  EXPECT_EQ(r.ottetto3, 0);
  EXPECT_EQ(r.ottetto4, 0);
  EXPECT_EQ(r.intero1, 3);
  EXPECT_EQ(r.intero2, 1);
  EXPECT_EQ(r.ottetto1, 0);
  EXPECT_EQ(r.intero3, 2);
  EXPECT_EQ(r.intero4, 1);
  EXPECT_EQ(r.intero5, 1);
  EXPECT_EQ(r.ottetto2, 1);
  EXPECT_EQ(r.orario, 83730);
  EXPECT_EQ(r.nome, "Roma Termini");

  EXPECT_EQ(marked(), (std::vector<std::array<int, 3>>{
                          {5, 0, 84}, {6, 0, 83}, {7, 0, 82}, {8, 0, 81}, {9, 10, 0}}));
  EXPECT_EQ(c.percorso[9].valore1, 1);
}

struct area_case {
  byte_t tipo;
  long_t length;
  byte_t sixth;
  long_t inizio, fine;
  byte_t ottetto3;
};

class StationArea : public ::testing::TestWithParam<area_case> {};

TEST_P(StationArea, ByKind) {
  const area_case& x = GetParam();
  compilation d;
  d.percorso.assign(1001, cella{});
  long_t number = 6;
  ASSERT_EQ(place_station(d, number, station(17050, x.tipo, x.length, 0, x.sixth), 80, 1),
            station_flow::go_on);
  const voce_generale& r = d.voci_generali[6];
  EXPECT_EQ(r.inizio, x.inizio);
  EXPECT_EQ(r.fine, x.fine);
  EXPECT_EQ(r.ottetto3, x.ottetto3);
}

INSTANTIATE_TEST_SUITE_P(
    , StationArea,
    ::testing::Values(area_case{22, 300, 1, 16900, 17250,
                                1},  // the 50 m for the sixth value stay in the end
                      area_case{22, 300, 0, 16900, 17200, 0}, area_case{5, 400, 1, 16650, 17200, 0},
                      area_case{6, 400, 0, 16650, 17200, 0}, area_case{7, 400, 1, 16650, 17450, 0},
                      area_case{8, 200, 0, 16850, 17250, 0}, area_case{4, 600, 1, 16750, 17400, 1},
                      area_case{27, 300, 1, 16900, 17250, 1}),
    [](const ::testing::TestParamInfo<area_case>& info) {
      return "kind_" + std::to_string(info.param.tipo) + "_sixth_value_" +
             std::to_string(info.param.sixth);
    });

TEST_F(StationsTest, MarksAndEndCellByKind) {
  // Kind 22 at 17050 with the sixth value: end 17250, end cell 344, marks 81..84 in 343..340.
  after_station_ending_at(0);
  ASSERT_EQ(step(station(17050, 22, 300, 0, 1)), station_flow::go_on);
  EXPECT_EQ(marked(), (std::vector<std::array<int, 3>>{
                          {340, 0, 84}, {341, 0, 83}, {342, 0, 82}, {343, 0, 81}, {344, 10, 0}}));
  EXPECT_EQ(c.percorso[344].valore1, 6);

  // Kinds 5 and 6 get the end cell without marks; the end cell overwrites what stood there.
  c.percorso.assign(1001, cella{});
  c.percorso[343].tipo = tipo_cella::segnale;
  c.percorso[343].valore1 = 55;
  after_station_ending_at(0);
  ASSERT_EQ(step(station(17050, 5, 400)), station_flow::go_on);
  EXPECT_EQ(marked(), (std::vector<std::array<int, 3>>{{343, 10, 0}}));
  EXPECT_EQ(c.percorso[343].valore1, 6);

  // Near the start of the route, marks in cells 0 and 1 are left out; the end cell 2 is written.
  c.percorso.assign(1001, cella{});
  after_station_ending_at(-1000);
  ASSERT_EQ(step(station(100, 22, 100)), station_flow::go_on);
  EXPECT_EQ(marked(), (std::vector<std::array<int, 3>>{{2, 10, 0}}));

  // Kinds from 25 up write no cell but still take a number and count for spacing.
  for (byte_t tipo : {25, 27, 28}) {
    SCOPED_TRACE(int(tipo));
    c.percorso.assign(1001, cella{});
    after_station_ending_at(0);
    ASSERT_EQ(step(station(17050, tipo, 300)), station_flow::go_on);
    EXPECT_TRUE(marked().empty()) << int(tipo);
    EXPECT_EQ(k, 7);
  }
  EXPECT_EQ(step(station(17400, 22, 300)), station_flow::stop);  // starts 17250, 300 m after
  EXPECT_EQ(c.fault_code, 22);
}

struct fifth_value_case {
  long_t length;
  int kept;
};

class StationFifthValue : public ::testing::TestWithParam<fifth_value_case> {};

TEST_P(StationFifthValue, KeptOnlyFrom600Metres) {
  compilation d;
  d.percorso.assign(1001, cella{});
  long_t number = 2;
  ASSERT_EQ(place_station(d, number, station(20000, 12, GetParam().length, 3), 80, 1),
            station_flow::go_on);
  EXPECT_EQ(d.voci_generali[2].ottetto4, GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(, StationFifthValue,
                         ::testing::Values(fifth_value_case{500, 0}, fifth_value_case{600, 3},
                                           fifth_value_case{800, 3}),
                         [](const ::testing::TestParamInfo<fifth_value_case>& info) {
                           return "length_" + std::to_string(info.param.length);
                         });

TEST_F(StationsTest, SpacingOfConsecutiveStations) {
  // Kind 4 at 6700, L 500, starts at 6450: 350 m after an end at 6100 is enough, after 6500 not.
  after_station_ending_at(6100, 2);
  EXPECT_EQ(step(station(6700, 4, 500)), station_flow::go_on);
  EXPECT_EQ(c.fault_code, 0);

  c.percorso.assign(1001, cella{});
  after_station_ending_at(6500, 2);
  c.fault_position = 0;
  EXPECT_EQ(step(station(6700, 4, 500)), station_flow::stop);
  EXPECT_EQ(c.fault_code, 22);
  EXPECT_EQ(c.fault_position, 6700);
  EXPECT_EQ(k, 3);  // not advanced
  // What the step wrote before the refusal stays: the record and the end cell.
  EXPECT_EQ(c.voci_generali[3].inizio, 6450);
  EXPECT_EQ(c.percorso[138].tipo, tipo_cella::stazione);
  ASSERT_EQ(c.diagnostics.size(), 1u);
  EXPECT_EQ(c.diagnostics[0].code, 22);
  EXPECT_EQ(c.diagnostics[0].position, 6700);
  EXPECT_EQ(c.diagnostics[0].line, 7);
  EXPECT_EQ(c.diagnostics[0].message,
            "station 3 at 6700 m: its area starts at 6450 m, less than 350 m after the area of "
            "station 2 ends at 6500 m; move it so that its area starts at 6850 m or later");
}

struct refusal_case {
  const char* what;
  station_entry e;
  long_t code;
  std::optional<long_t> position;
  station_flow flow;
};

class StationRefusal : public ::testing::TestWithParam<refusal_case> {};

// Cells 0 .. 1000: the last station position that passes the 800 m check is 49200.
TEST_P(StationRefusal, WhereTheReadingGoes) {
  const refusal_case& x = GetParam();
  compilation d;
  d.percorso.assign(1001, cella{});
  d.fault_position = 3;
  long_t number = 1;
  EXPECT_EQ(place_station(d, number, x.e, 80, 4), x.flow);
  EXPECT_EQ(d.fault_code, x.code);
  EXPECT_EQ(d.fault_position, x.position.value_or(3));
  EXPECT_EQ(number, 1);
  EXPECT_EQ(d.voci_generali[1].posizione, x.e.posizione);
  // None of them writes a mark: the end-cell checks come before the marks.
  EXPECT_EQ(d.percorso, std::vector<cella>(1001));
}

INSTANTIATE_TEST_SUITE_P(
    , StationRefusal,
    ::testing::Values(refusal_case{"position past the cells", station(49250, 22, 300), 15, 49250,
                                   station_flow::end_steps},
                      refusal_case{"position not a multiple of 50", station(1025, 22, 300), 8, 1025,
                                   station_flow::stop},
                      refusal_case{"length not a multiple of 100", station(1000, 22, 250), 9, 1000,
                                   station_flow::stop},
                      refusal_case{"end cell at cell 1", station(0, 22, 200), 24, std::nullopt,
                                   station_flow::stop},
                      refusal_case{"end cell at cell 0", station(0, 4, 100), 24, std::nullopt,
                                   station_flow::stop},
                      refusal_case{"end cell past the last", station(49200, 8, 1000), 15, 49200,
                                   station_flow::end_steps}),
    test_support::name_from_what{});

TEST_F(StationsTest, EndCellMayBeTheLastCell) {
  EXPECT_EQ(step(station(49200, 22, 1700)), station_flow::go_on);
  EXPECT_EQ(c.percorso[1000].tipo, tipo_cella::stazione);
}

TEST_F(StationsTest, TableLimitBeforeTheTextBoards) {
  // No text boards: stations 1 to 78.
  after_station_ending_at(0, 77);
  EXPECT_EQ(step(station(20000, 22, 300)), station_flow::go_on);
  EXPECT_EQ(k, 79);
  c.fault_position = 3;
  EXPECT_EQ(step(station(30000, 22, 300)), station_flow::stop);
  EXPECT_EQ(c.fault_code, 10);
  EXPECT_EQ(c.fault_position, 3);
  EXPECT_EQ(c.voci_generali[79].nome, "S");  // written before the refusal

  // Two text boards (records 80 and 79): the limit comes two stations earlier.
  compilation d;
  d.percorso.assign(1001, cella{});
  long_t number = 76;
  EXPECT_EQ(place_station(d, number, station(20000, 22, 300), 78, 1), station_flow::go_on);
  EXPECT_EQ(place_station(d, number, station(30000, 22, 300), 78, 1), station_flow::stop);
  EXPECT_EQ(d.fault_code, 10);
}

TEST_F(StationsTest, TimeIsComputedExactlyThenMustFitALong) {
  station_entry e = station(20000, 22, 300);
  e.hours = 596523;
  e.minutes = 14;
  e.seconds = 7;  // 2147483647, the largest Long
  ASSERT_EQ(step(e), station_flow::go_on);
  EXPECT_EQ(c.voci_generali[1].orario, 2147483647);

  e.posizione = 30000;
  e.seconds = 8;
  EXPECT_THROW(step(e), reading_failure);

  // Large parts that cancel out are fine: only the result is checked.
  e.hours = 1000000;
  e.minutes = -60000000;
  e.seconds = 5;
  after_station_ending_at(0, 3);
  ASSERT_EQ(step(e), station_flow::go_on);
  EXPECT_EQ(c.voci_generali[4].orario, 5);
}

}  // namespace
}  // namespace scenario
