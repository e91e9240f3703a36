#include "reader/signals.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;

// The placers return a refusal; these record it as the reader does, so that the tests read the
// codes where the driver reads them.
void segnale(compilation& c, const segnale_entry& e) {
  if (auto refused = place_signal(c, e)) record_fault(c, *refused, source_file::train_scenario, 1);
}
void rallentamento(compilation& c, const rallentamento_entry& e) {
  if (auto refused = place_restriction(c, e))
    record_fault(c, *refused, source_file::train_scenario, 1);
}

class SignalsTest : public ::testing::Test {
 protected:
  void SetUp() override { c.percorso.assign(301, cella{}); }  // cells 0 .. 300

  cella& at(int i) { return c.percorso[i]; }

  compilation c;
};

// The signal "segnale, 1050, 2, 3, 1, 1, 0, 2, 2, 1, 1, 160".
void place_first_builtin_signal(compilation& c) {
  segnale(c, {1050, 2, 3, 1, 1, 0, 2, 2, 1, 1, 160});
}

TEST_F(SignalsTest, SignalEncodesAspectsAndMarksItsApproach) {
  place_first_builtin_signal(c);
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(at(22).tipo, tipo_cella::segnale);
  EXPECT_EQ(at(22).valore1, 32);
  EXPECT_EQ(at(22).valore2, 11);
  EXPECT_EQ(at(22).valore3, 11);
  EXPECT_EQ(at(22).valore4, 8);
  EXPECT_EQ(at(22).tempo, 160);
  const std::vector<std::pair<int, int>> marks = {{20, 81}, {18, 82}, {16, 83}, {14, 84}};
  for (auto [cell, mark] : marks) EXPECT_EQ(at(cell).preavviso, mark) << "cell " << cell;
  for (int i : {13, 15, 17, 19, 21, 22, 23}) EXPECT_EQ(at(i).preavviso, 0) << "cell " << i;

  // "segnale, 5650, 2, 2, 3, 0, 1, 0, 0, 0, 0, 255": rapp goes into the tens of valore4.
  segnale(c, {5650, 2, 2, 3, 0, 1, 0, 0, 0, 0, 255});
  EXPECT_EQ(at(114).tipo, tipo_cella::segnale);
  EXPECT_EQ(at(114).valore1, 20);
  EXPECT_EQ(at(114).valore2, 30);
  EXPECT_EQ(at(114).valore3, 0);
  EXPECT_EQ(at(114).valore4, 16);
  EXPECT_EQ(at(114).tempo, 255);
  EXPECT_EQ(at(112).preavviso, 61);
  EXPECT_EQ(at(110).preavviso, 62);
  EXPECT_EQ(at(108).preavviso, 63);
  EXPECT_EQ(at(106).preavviso, 64);
}

struct tempo_case {
  long_t sx, tempo;
  int stored;
};

class SignalTempo : public ::testing::TestWithParam<tempo_case> {};

TEST_P(SignalTempo, StoredByTheFirstLeftAspect) {
  compilation c;
  c.percorso.assign(301, cella{});
  segnale(c, {1000, GetParam().sx, 0, 0, 0, 0, 0, 0, 0, 0, GetParam().tempo});
  EXPECT_EQ(c.percorso[21].tempo, GetParam().stored);
  EXPECT_EQ(c.fault_code, 0);
}

INSTANTIATE_TEST_SUITE_P(
    , SignalTempo,
    ::testing::Values(tempo_case{2, 50, 101}, tempo_case{2, 1, 101}, tempo_case{2, 100, 101},
                      tempo_case{2, 101, 101}, tempo_case{2, 0, 0}, tempo_case{2, 300, 44},
                      tempo_case{2, -5, 251}, tempo_case{1, 160, 0}, tempo_case{3, 50, 0}),
    [](const ::testing::TestParamInfo<tempo_case>& info) {
      return test_support::spelled_name("sx " + std::to_string(info.param.sx) + " tempo " +
                                        std::to_string(info.param.tempo));
    });

TEST_F(SignalsTest, SignalTakesTheCellOfASceneryMark) {
  at(22).tipo = tipo_cella::montagna;
  place_first_builtin_signal(c);
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(at(22).tipo, tipo_cella::segnale);
}

class SignalOnAnObject : public ::testing::TestWithParam<byte_t> {};

TEST_P(SignalOnAnObject, IsRefusedAndWritesNothing) {
  compilation d;
  d.percorso.assign(301, cella{});
  d.percorso[22].tipo = GetParam();
  d.fault_position = 7;
  const std::vector<cella> before = d.percorso;
  place_first_builtin_signal(d);
  EXPECT_EQ(d.fault_code, 16);
  EXPECT_EQ(d.fault_position, 1050);  // the refusal carries the entry's position
  EXPECT_EQ(d.percorso, before);
}

INSTANTIATE_TEST_SUITE_P(, SignalOnAnObject,
                         ::testing::Values(tipo_cella::stazione, tipo_cella::abbattimento,
                                           tipo_cella::segnale),
                         [](const ::testing::TestParamInfo<byte_t>& info) {
                           return test_support::case_name(object_name(info.param));
                         });

class SignalOutsideTheCells : public ::testing::TestWithParam<long_t> {};

TEST_P(SignalOutsideTheCells, IsRefused) {
  compilation d;
  d.percorso.assign(301, cella{});
  segnale(d, {GetParam(), 2, 3, 1, 1, 0, 2, 2, 1, 1, 0});
  EXPECT_EQ(d.fault_code, 16);
  EXPECT_EQ(d.percorso, std::vector<cella>(301));
}

INSTANTIATE_TEST_SUITE_P(, SignalOutsideTheCells, ::testing::Values(15000, 15050, -100, -1000),
                         [](const ::testing::TestParamInfo<long_t>& info) {
                           return test_support::spelled_name(std::to_string(info.param));
                         });

TEST_F(SignalsTest, LastCellTakesASignal) {
  segnale(c, {14950, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0});
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(at(300).tipo, tipo_cella::segnale);
}

TEST_F(SignalsTest, ApproachMarksBeforeTheFirstCellAreSkipped) {
  segnale(c, {150, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0});  // cell 4
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(at(4).tipo, tipo_cella::segnale);
  EXPECT_EQ(at(2).preavviso, 81);
  EXPECT_EQ(at(0).preavviso, 82);

  // Marks overwrite whatever the cells hold, and leave their objects alone.
  at(38).tipo = tipo_cella::stazione;
  at(38).preavviso = 83;
  segnale(c, {1950, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0});  // cell 40, aspect 4
  EXPECT_EQ(at(38).preavviso, 41);
  EXPECT_EQ(at(38).tipo, tipo_cella::stazione);
}

TEST_F(SignalsTest, RestrictionWithWarningAndApproach) {
  at(240).valore2 = 9;  // kept: d_v is 0
  rallentamento(c, {10000, 60, 2000, 3, 1, 0});
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(at(177).tipo, tipo_cella::avviso_rallentamento);
  EXPECT_EQ(at(177).valore1, 60);
  EXPECT_EQ(at(177).valore3, 0);
  EXPECT_EQ(at(201).tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(at(241).tipo, tipo_cella::fine_rallentamento);
  for (int i : {201, 241}) {
    EXPECT_EQ(at(i).valore1, 60);
    EXPECT_EQ(at(i).valore2, 0);
    EXPECT_EQ(at(i).valore3, 3);
  }
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(at(177 - n).tipo, tipo_cella::preavviso_rallentamento) << n;
    EXPECT_EQ(at(177 - n).valore1, n);
    EXPECT_EQ(at(177 - n).valore2, 0);
  }
  EXPECT_EQ(at(172).tipo, 0);

  compilation d;
  d.percorso.assign(301, cella{});
  rallentamento(d, {10000, 60, 2000, 3, 1, 7});
  EXPECT_EQ(d.percorso[177].valore2, 7);
  EXPECT_EQ(d.percorso[201].valore2, 7);
  EXPECT_EQ(d.percorso[241].valore2, 7);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(d.percorso[177 - n].valore2, n);
}

// Cells whose tipo is not 0, listed with it.
std::vector<std::pair<int, int>> objects(const compilation& c) {
  std::vector<std::pair<int, int>> out;
  for (std::size_t i = 0; i < c.percorso.size(); ++i)
    if (c.percorso[i].tipo != 0) out.emplace_back(int(i), c.percorso[i].tipo);
  return out;
}

TEST_F(SignalsTest, WarningOnlyBeyond1500Metres) {
  rallentamento(c, {1500, 30, 500, 0, 1, 0});
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(objects(c), (std::vector<std::pair<int, int>>{{31, 3}, {41, 2}}));

  compilation d;
  d.percorso.assign(301, cella{});
  rallentamento(d, {1550, 30, 500, 0, 1, 0});
  EXPECT_EQ(d.fault_code, 0);
  EXPECT_EQ(objects(d), (std::vector<std::pair<int, int>>{
                            {4, 5}, {5, 5}, {6, 5}, {7, 5}, {8, 4}, {32, 3}, {42, 2}}));
  EXPECT_EQ(d.percorso[7].valore1, 1);
  EXPECT_EQ(d.percorso[4].valore1, 4);
}

TEST_F(SignalsTest, ShortRestrictionStartOverwritesItsEnd) {
  rallentamento(c, {5000, 50, 10, 1, 0, 0});
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(objects(c), (std::vector<std::pair<int, int>>{{77, 4}, {101, 3}}));
}

struct restriction_refusal {
  const char* what;
  int taken_cell;  // -1: none
  long_t l;
  long_t code;
};

class RestrictionRefusal : public ::testing::TestWithParam<restriction_refusal> {};

TEST_P(RestrictionRefusal, WritesNothing) {
  const restriction_refusal& k = GetParam();
  compilation d;
  d.percorso.assign(301, cella{});
  if (k.taken_cell >= 0) d.percorso[k.taken_cell].tipo = tipo_cella::cartello_indicatore;
  const std::vector<cella> before = d.percorso;
  rallentamento(d, {10000, 60, k.l, 3, 1, 2});
  EXPECT_EQ(d.fault_code, k.code);
  EXPECT_EQ(d.percorso, before);
}

INSTANTIATE_TEST_SUITE_P(, RestrictionRefusal,
                         ::testing::Values(restriction_refusal{"warning taken", 177, 2000, 17},
                                           restriction_refusal{"start taken", 201, 2000, 18},
                                           restriction_refusal{"end taken", 241, 2000, 19},
                                           restriction_refusal{"end past the last cell", -1, 5000,
                                                               19}),
                         test_support::name_from_what{});

TEST_F(SignalsTest, SceneryMarksDoNotStandInARestrictionsWay) {
  at(177).tipo = at(201).tipo = at(241).tipo = at(175).tipo = tipo_cella::montagna;
  rallentamento(c, {10000, 60, 2000, 3, 1, 2});
  EXPECT_EQ(c.fault_code, 0);
}

TEST_F(SignalsTest, TakenApproachCellLeavesTheBoardsWritten) {
  at(174).tipo = tipo_cella::segnale;
  rallentamento(c, {10000, 60, 2000, 3, 1, 0});
  EXPECT_EQ(c.fault_code, 20);
  EXPECT_EQ(objects(c), (std::vector<std::pair<int, int>>{{174, 1}, {177, 4}, {201, 3}, {241, 2}}));

  // Without approach cells asked for, the taken cell does not matter.
  compilation d;
  d.percorso.assign(301, cella{});
  d.percorso[174].tipo = tipo_cella::segnale;
  rallentamento(d, {10000, 60, 2000, 3, 0, 0});
  EXPECT_EQ(d.fault_code, 0);
}

struct approach_case {
  int taken;
  long_t code;
};

class RestrictionApproach : public ::testing::TestWithParam<approach_case> {};

// x = 10000: warning in cell 177, approach cells 176 down to 173.
TEST_P(RestrictionApproach, ChecksExactlyTheFourCells) {
  compilation c;
  c.percorso.assign(301, cella{});
  c.percorso[static_cast<std::size_t>(GetParam().taken)].tipo = tipo_cella::segnale;
  rallentamento(c, {10000, 60, 2000, 3, 1, 0});
  EXPECT_EQ(c.fault_code, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(, RestrictionApproach,
                         ::testing::Values(approach_case{172, 0}, approach_case{173, 20},
                                           approach_case{176, 20}, approach_case{178, 0}),
                         [](const ::testing::TestParamInfo<approach_case>& info) {
                           return "signal_in_cell_" + std::to_string(info.param.taken);
                         });

}  // namespace
}  // namespace scenario
