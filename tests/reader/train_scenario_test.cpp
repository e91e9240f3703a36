#include "reader/train_scenario.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "model/numeric.h"
#include "reader/read_data.h"
#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;

// A train file from its lines, each ended by CR LF.
std::string lines(std::initializer_list<const char*> ls) {
  std::string out;
  for (const char* l : ls) out += std::string(l) + "\r\n";
  return out;
}

class TrainScenarioTest : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }

  // A fresh compilation with cells 0 .. 100, for each case of a table.
  void reset() {
    c = compilation{};
    c.percorso.assign(101, cella{});
  }

  // Reads `text` as the train file; the bytes live as long as the fixture.
  void read(std::string text, long_t next_board_record = voce::primo_cartello) {
    text_ = std::move(text);
    field_reader fields(text_);
    read_train_scenario(c, fields, next_board_record);
  }

  std::vector<int> speeds() const {
    std::vector<int> out;
    for (const cella& x : c.percorso) out.push_back(x.velocita_limite);
    return out;
  }
  std::vector<int> adhesions() const {
    std::vector<int> out;
    for (const cella& x : c.percorso) out.push_back(x.aderenza);
    return out;
  }

  compilation c;
  std::string text_;
};

// n copies of v, for building expected cell columns.
std::vector<int> run(int n, int v) {
  return std::vector<int>(n, v);
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(TrainScenarioTest, TrainData) {
  read(lines({"prima del file", "[Generale]", "NUMERO VETTURE,    16",
              "percentuale massa frenata,    125", "sabbia,    200",
              "orologio,    23              15            30 ", "[fine]"}));
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.voci_generali[84].posizione, 16);
  EXPECT_EQ(c.voci_generali[84].inizio, 125);
  EXPECT_EQ(c.voci_generali[86].intero1, 200);
  EXPECT_EQ(c.voci_generali[86].intero3, 23);
  EXPECT_EQ(c.voci_generali[86].intero4, 15);
  EXPECT_EQ(c.voci_generali[86].intero5, 30);
}

struct key_case {
  const char* what;
  const char* line;
  long_t braked, coaches;
};

class KeyField : public TrainScenarioTest, public ::testing::WithParamInterface<key_case> {};

TEST_P(KeyField, KeysAreFoundInsideIt) {
  read(lines({"[generale]", GetParam().line, "[fine]"}), 80);
  EXPECT_EQ(c.voci_generali[84].inizio, GetParam().braked);
  EXPECT_EQ(c.voci_generali[84].posizione, GetParam().coaches);
  EXPECT_EQ(c.fault_code, 0);
}

INSTANTIATE_TEST_SUITE_P(, KeyField,
                         ::testing::Values(
                             // "frenata" missing: nothing, and 125 is a stray key
                             key_case{"one word of two", "massa, 125", 0, 0},
                             key_case{"letter case ignored", "Massa FRENATA %, 125", 125, 0},
                             key_case{"two keys act in table order", "vetture frenata massa, 7, 9",
                                      7, 9},
                             key_case{"headers are keys like any other", "[vetture], 3", 0, 3}),
                         test_support::name_from_what{});

TEST_F(TrainScenarioTest, SpeedFillAndTail) {
  read(lines({"[generale]", "velocita,   0,    30", "velocita,    1000,    95",
              "velocita,    2000,    120", "[fine]"}));
  // Each speed holds from its position to the next; the last one up to three cells before the end.
  EXPECT_EQ(speeds(), run(20, 6) + run(20, 19) + run(58, 24) + run(3, 0));
  EXPECT_EQ(c.fault_code, 0);
}

TEST_F(TrainScenarioTest, SpeedEntriesThatDoNotAdvance) {
  read(lines(
      {"[generale]", "velocita, 500, 50", "velocita, 300, 60", "velocita, 300, 70", "[fine]"}));
  // The speed before the first entry is 0; each later entry still writes the cursor's cell.
  EXPECT_EQ(speeds(), run(10, 0) + run(1, 10) + run(1, 12) + run(86, 14) + run(3, 0));
}

TEST_F(TrainScenarioTest, FillsNeverPassTheLastCell) {
  c.percorso.assign(11, cella{});  // cells 0 .. 10: positions up to 400 pass the check
  std::string text = "[generale]\r\n";
  for (int i = 0; i < 6; ++i) {
    text += "velocita, 400, " + std::to_string(50 + 5 * i) + "\r\n";
    text += "aderenza, 400, " + std::to_string(80 + i) + "\r\n";
  }
  read(text + "[fine]\r\n");
  EXPECT_EQ(c.fault_code, 0);
  // Cells 8 and 9 take the fills of the 2nd and 3rd entries; the last cell only the tail.
  EXPECT_EQ(speeds(), run(8, 0) + std::vector<int>({10, 11, 15}));
  EXPECT_EQ(adhesions(), run(8, 0) + std::vector<int>({80, 81, 85}));
}

TEST_F(TrainScenarioTest, AdhesionKeepsTheLow8Bits) {
  read(lines({"[generale]", "aderenza,       0,    88", "aderenza,   1000,    300", "[fine]"}));
  EXPECT_EQ(adhesions(), run(20, 88) + run(78, 44) + run(3, 0));
}

TEST_F(TrainScenarioTest, SpeedBeyondAByteFailsTheReading) {
  EXPECT_THROW(read(lines({"[generale]", "velocita, 0, 1300", "[fine]"})), reading_failure);
  // 1277 km/h is 255.4 units: it still fits once rounded.
  reset();
  const std::string text = lines({"[generale]", "velocita, 0, 1277", "[fine]"});
  read(text, 80);
  EXPECT_EQ(c.percorso[0].velocita_limite, 255);
}

TEST_F(TrainScenarioTest, WithoutGeneralSectionOnlyTheEndStepsRun) {
  for (cella& x : c.percorso) x.velocita_limite = x.aderenza = 99;
  read(lines({"numero vetture, 16", "segnale, 1050, 2,3,1,1,0,2,2,1,1,0", "[fine]"}));
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.voci_generali[84].posizione, 0);
  EXPECT_EQ(c.percorso[22].tipo, 0);
  EXPECT_EQ(speeds(), run(98, 0) + run(3, 99));
  EXPECT_EQ(adhesions(), run(98, 0) + run(3, 99));
}

TEST_F(TrainScenarioTest, EmptyFileFailsTheReading) {
  EXPECT_THROW(read(""), reading_failure);
  EXPECT_THROW(read("\r\n  \r\n"), reading_failure);
}

TEST_F(TrainScenarioTest, LastFieldIsNeverActedOn) {
  read(lines({"[generale]", "sabbia, 200", "numero vetture"}));
  EXPECT_EQ(c.voci_generali[86].intero1, 200);
  EXPECT_EQ(c.fault_code, 0);

  // An entry whose values end the file is applied.
  reset();
  const std::string text = lines({"[generale]", "numero vetture, 16"});
  read(text, 80);
  EXPECT_EQ(c.voci_generali[84].posizione, 16);
}

struct separator_case {
  const char* what;
  std::string text;
  long_t coaches;
};

class SeparatorLines : public TrainScenarioTest,
                       public ::testing::WithParamInterface<separator_case> {};

TEST_P(SeparatorLines, BeforeAKey) {
  read(GetParam().text, 80);
  EXPECT_EQ(c.voci_generali[84].posizione, GetParam().coaches);
}

INSTANTIATE_TEST_SUITE_P(
    , SeparatorLines,
    ::testing::Values(
        separator_case{"one", lines({"[generale]", "------", "numero vetture, 16", "[fine]"}), 16},
        separator_case{
            "two", lines({"[generale]", "------", "------", "numero vetture, 16", "[fine]"}), 16},
        // The third field is the key whatever it holds.
        separator_case{"third taken",
                       lines({"[generale]", "------", "------", "-vetture-, 12", "[fine]"}), 12},
        separator_case{"second skipped", lines({"[generale]", "------", "-vetture-, 12", "[fine]"}),
                       0},
        // Three dash lines: the third is a key matching nothing, then the entry is read as usual.
        separator_case{"three",
                       lines({"[generale]", "---", "---", "---", "numero vetture, 16", "[fine]"}),
                       16}),
    test_support::name_from_what{});

TEST_F(TrainScenarioTest, SignalsAndRestrictions) {
  read(lines({"[generale]", "[segnali]", "segnale,    1050,   2, 3, 1,  1, 0,    2,  2,1,1, 160",
              "rallentamento, 3000, 60, 500, 1, 1, 0", "[fine]"}));
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.percorso[22].tipo, tipo_cella::segnale);
  EXPECT_EQ(c.percorso[22].valore1, 32);
  EXPECT_EQ(c.percorso[22].tempo, 160);
  EXPECT_EQ(c.percorso[20].preavviso, 81);
  EXPECT_EQ(c.percorso[37].tipo, tipo_cella::avviso_rallentamento);
  EXPECT_EQ(c.percorso[61].tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(c.percorso[71].tipo, tipo_cella::fine_rallentamento);
  EXPECT_EQ(c.percorso[36].tipo, tipo_cella::preavviso_rallentamento);
}

struct placement_refusal {
  const char* what;
  const char* entry;
  long_t code, position;
};

class RefusedPlacement : public TrainScenarioTest,
                         public ::testing::WithParamInterface<placement_refusal> {};

// A station end in cell 22 stands in the way.
TEST_P(RefusedPlacement, StopsAtOnce) {
  const placement_refusal& k = GetParam();
  c.percorso[22].tipo = tipo_cella::stazione;
  read(lines({"[generale]", "sabbia, 1", k.entry, "sabbia, 2", "velocita, 0, 50", "[fine]"}), 80);
  EXPECT_EQ(c.fault_code, k.code);
  EXPECT_EQ(c.fault_position, k.position);
  EXPECT_EQ(c.voci_generali[86].intero1, 1);    // nothing after the entry is read
  EXPECT_EQ(c.percorso[0].velocita_limite, 0);  // and the tails do not run
  ASSERT_EQ(c.diagnostics.size(), 1u);
  // The words are pinned by the diagnostic text tests.
  diagnostic got = c.diagnostics[0];
  got.message.clear();
  EXPECT_EQ(got, (diagnostic{int(k.code), k.position, severity::error, source_file::train_scenario,
                             3, "", got.column}));
  EXPECT_GT(got.column, 1);  // the position field, after the key
}

INSTANTIATE_TEST_SUITE_P(
    , RefusedPlacement,
    ::testing::Values(
        placement_refusal{"signal", "segnale, 1050, 2,3,1,1,0,2,2,1,1,0", 16, 1050},
        placement_refusal{"restriction warning", "rallentamento, 2250, 60, 500, 1, 0, 0", 17, 2250},
        placement_refusal{"restriction start", "rallentamento, 1050, 60, 500, 1, 0, 0", 18, 1050},
        placement_refusal{"restriction end", "rallentamento, 500, 60, 550, 1, 0, 0", 19, 500},
        placement_refusal{"restriction end past the last cell",
                          "rallentamento, 4000, 60, 2000, 1, 0, 0", 19, 4000},
        // approach cells 24 .. 21
        placement_refusal{"restriction approach", "rallentamento, 2450, 60, 500, 1, 1, 0", 20,
                          2450},
        placement_refusal{"code cut point", "abbattimento, 1100, 270", 7, 1100}),
    test_support::name_from_what{});

TEST_F(TrainScenarioTest, CodeCutPoints) {
  c.percorso[30].tipo = tipo_cella::montagna;
  c.percorso[40].valore1 = 5;
  read(lines({"[generale]", "abbattimento,    1000,   270", "abbattimento,    1500,   270",
              "abbattimento,    2000,   0", "abbattimento,    2500,   -3", "[fine]"}));
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.percorso[20].tipo, tipo_cella::abbattimento);  // no "+ 1", unlike a signal
  EXPECT_EQ(c.percorso[20].valore1, 270);
  EXPECT_EQ(c.percorso[30].tipo, tipo_cella::abbattimento);
  EXPECT_EQ(c.percorso[40].tipo, tipo_cella::abbattimento_nullo);
  EXPECT_EQ(c.percorso[40].valore1, 5);
  EXPECT_EQ(c.percorso[50].tipo, tipo_cella::abbattimento_nullo);

  for (byte_t taken : {tipo_cella::stazione, tipo_cella::segnale}) {
    SCOPED_TRACE(object_name(taken));
    reset();
    c.percorso[20].tipo = taken;
    const std::string text = lines({"[generale]", "abbattimento, 1000, 270", "[fine]"});
    read(text, 80);
    EXPECT_EQ(c.fault_code, 7) << int(taken);
    EXPECT_EQ(c.percorso[20].tipo, taken);
  }
  // Before the first cell: the position check lets it through, the cell test refuses it.
  reset();
  const std::string text = lines({"[generale]", "abbattimento, -100, 270", "[fine]"});
  read(text, 80);
  EXPECT_EQ(c.fault_code, 7);
  EXPECT_EQ(c.fault_position, -100);
}

class PositionCheck : public TrainScenarioTest,
                      public ::testing::WithParamInterface<const char*> {};

// Cells 0 .. 100: (p + 100) / 50 must not pass 100, so 4900 is the last position accepted.
TEST_P(PositionCheck, EndsTheEntriesThroughTheEndSteps) {
  const std::string entry = std::string(GetParam()) + ", 4901, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1";
  read(lines({"[generale]", "velocita, 0, 50", "sabbia, 1", entry.c_str(), "sabbia, 2", "[fine]"}),
       80);
  EXPECT_EQ(c.fault_code, 15);
  EXPECT_EQ(c.fault_position, 4901);
  EXPECT_EQ(c.voci_generali[86].intero1, 1);
  EXPECT_EQ(c.percorso[97].velocita_limite, 10);  // the tail ran
  ASSERT_EQ(c.diagnostics.size(), 1u);
  EXPECT_EQ(c.diagnostics[0].line, 4);
}

INSTANTIATE_TEST_SUITE_P(, PositionCheck,
                         ::testing::Values("velocita", "aderenza", "segnale", "rallentamento",
                                           "abbattimento"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

TEST_F(TrainScenarioTest, LastPositionThePositionCheckAccepts) {
  read(lines({"[generale]", "segnale, 4900, 2,3,1,1,0,2,2,1,1,0", "[fine]"}));
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.percorso[99].tipo, tipo_cella::segnale);
}

TEST_F(TrainScenarioTest, ProgressiveCheckAtTheEnd) {
  c.voci_generali[82].fine = 3025;
  c.fault_position = 77;
  read(lines({"[generale]", "[fine]"}));
  EXPECT_EQ(c.fault_code, 2);
  EXPECT_EQ(c.fault_position, 77);

  // It replaces a 15 and keeps that fault's position.
  reset();
  c.voci_generali[83].inizio = 10;
  const std::string text = lines({"[generale]", "velocita, 9000, 50", "[fine]"});
  read(text, 80);
  EXPECT_EQ(c.fault_code, 2);
  EXPECT_EQ(c.fault_position, 9000);
  ASSERT_EQ(c.diagnostics.size(), 2u);
  EXPECT_EQ(c.diagnostics[0].code, 15);
  EXPECT_EQ(c.diagnostics[1].code, 2);
  EXPECT_EQ(c.diagnostics[1].file, source_file::line_description);
}

class EarlierCode : public TrainScenarioTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EarlierCode, StopsAtTheFirstSignalOrRestriction) {
  c.fault_code = 15;  // left by the line description
  c.fault_position = 999999;
  read(lines({"[generale]", "stazione, 2000, 22, 300, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, Uno",
              "abbattimento, 3000, 270", GetParam(), "sabbia, 2", "[fine]"}),
       80);
  // Stations and cut points before it go on as usual; the entry itself is placed.
  EXPECT_EQ(c.voci_generali[1].nome, "Uno");
  EXPECT_EQ(c.percorso[60].tipo, tipo_cella::abbattimento);
  EXPECT_NE(c.percorso[22].tipo, 0);
  EXPECT_EQ(c.fault_code, 15);
  EXPECT_EQ(c.fault_position, 1050);
  EXPECT_EQ(c.voci_generali[86].intero1, 0);
  ASSERT_EQ(c.diagnostics.size(), 1u);
  EXPECT_EQ(c.diagnostics[0].sev, severity::note);
  EXPECT_EQ(c.diagnostics[0].line, 4);
}

INSTANTIATE_TEST_SUITE_P(, EarlierCode,
                         ::testing::Values("segnale, 1050, 2,3,1,1,0,2,2,1,1,0",
                                           "rallentamento, 1050, 60, 500, 1, 0, 0"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           const std::string entry = info.param;
                           return entry.substr(0, entry.find(','));
                         });

// A refusal of its own is a new fault.
TEST_F(TrainScenarioTest, RefusalAfterAnEarlierCodeIsANewFault) {
  c.fault_code = 15;
  c.percorso[22].tipo = tipo_cella::stazione;
  read(lines({"[generale]", "segnale, 1050, 2,3,1,1,0,2,2,1,1,0", "[fine]"}));
  EXPECT_EQ(c.fault_code, 16);
  ASSERT_EQ(c.diagnostics.size(), 1u);
  EXPECT_EQ(c.diagnostics[0].sev, severity::error);
}

TEST_F(TrainScenarioTest, Stations) {
  read(lines(
      {"[generale]", "[stazioni]",
       "stazione,       0,  8,  500,  1, 0, 0,  3,1,0,  2,1,1,    1,  23,15,30, Roma Termini", "",
       "stazione,    3100, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, Roma Tuscolana",
       "[fine]"}));
  EXPECT_EQ(c.fault_code, 0);
  const voce_generale& r = c.voci_generali[1];
  EXPECT_EQ(r.nome, "Roma Termini");
  EXPECT_EQ(r.tipo, 8);
  EXPECT_EQ(r.fine, 500);
  EXPECT_EQ(r.ottetto0, 1);
  EXPECT_EQ(r.intero1, 3);
  EXPECT_EQ(r.intero3, 2);
  EXPECT_EQ(r.ottetto2, 1);
  EXPECT_EQ(r.orario, 83730);
  EXPECT_EQ(c.percorso[9].tipo, tipo_cella::stazione);
  EXPECT_EQ(c.voci_generali[2].nome, "Roma Tuscolana");
  EXPECT_EQ(c.voci_generali[2].intero3, 5);
  EXPECT_EQ(c.percorso[65].tipo, tipo_cella::stazione);  // 3300 / 50 - 1
  EXPECT_EQ(c.percorso[65].valore1, 2);
}

struct station_refusal {
  const char* what;
  std::string text;
  long_t code;
  bool end_steps;
};

class StationEntryRefusal : public TrainScenarioTest,
                            public ::testing::WithParamInterface<station_refusal> {};

TEST_P(StationEntryRefusal, EndsTheReadingOrTheEntries) {
  for (cella& x : c.percorso) x.velocita_limite = 99;
  read(GetParam().text, 80);
  EXPECT_EQ(c.fault_code, GetParam().code);
  EXPECT_EQ(c.percorso[0].velocita_limite, GetParam().end_steps ? 0 : 99);
}

INSTANTIATE_TEST_SUITE_P(
    , StationEntryRefusal,
    ::testing::Values(
        // The position is refused before the rest of the entry is read.
        station_refusal{"position not a multiple of 50",
                        lines({"[generale]", "stazione, 125", "[fine]"}), 8, false},
        station_refusal{"position past the cells",
                        lines({"[generale]", "stazione, 4250", "[fine]"}), 15, true},
        station_refusal{"length", lines({"[generale]", "stazione, 1000, 22, 250", "[fine]"}), 9,
                        false},
        station_refusal{
            "end cell past the last",
            lines({"[generale]", "stazione, 4000, 8, 1100, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X",
                   "[fine]"}),
            15, true},
        station_refusal{"end cell at cell 1",
                        lines({"[generale]",
                               "stazione, 0, 22, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X", "[fine]"}),
                        24, false},
        station_refusal{
            "too close",
            lines({"[generale]", "stazione, 1000, 22, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X",
                   "stazione, 1400, 22, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, Y", "[fine]"}),
            22, false}),
    test_support::name_from_what{});

// With text boards down to record 3, even the first station reaches them.
TEST_F(TrainScenarioTest, FirstStationMayReachTheTextBoards) {
  read(lines({"[generale]", "stazione, 1000, 27, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X", "[fine]"}),
       2);
  EXPECT_EQ(c.fault_code, 10);
}

TEST_F(TrainScenarioTest, StationValuesLandInTheRecordAsTheyAreRead) {
  // A value that cannot be read stops the reading; the ones read before it are stored already.
  EXPECT_THROW(read(lines({"[generale]", "stazione, 1000, 22, 3x0", "[fine]"})), reading_failure);
  EXPECT_EQ(c.voci_generali[1].posizione, 1000);
  EXPECT_EQ(c.voci_generali[1].tipo, 22);

  reset();
  const std::string text =
      lines({"[generale]", "stazione, 1000, 22, 300, 7, 5, 1, 2, 3, 4, 5, 6, 70000", "[fine]"});
  EXPECT_THROW(read(text), reading_failure);
  const voce_generale& r = c.voci_generali[1];
  EXPECT_EQ(r.ottetto0, 7);
  EXPECT_EQ(r.ottetto4, 5);  // not yet forced to 0
  EXPECT_EQ(r.ottetto3, 1);
  EXPECT_EQ(r.intero1, 2);
  EXPECT_EQ(r.intero2, 3);
  EXPECT_EQ(r.ottetto1, 4);
  EXPECT_EQ(r.intero3, 5);
  EXPECT_EQ(r.intero4, 6);
  EXPECT_EQ(r.intero5, 0);
  EXPECT_EQ(r.fine, 0);
}

// Both files through the whole reader.
class WholeReaderTest : public ::testing::Test {
 protected:
  void compile(const std::string& linea, const std::optional<std::string>& treno) {
    c.route_name = "R";
    c.train_name = "T";
    read_data_files(c, {linea, treno});
  }

  compilation c;
};

// Route of 1000 m: cells 0 .. 160.
const std::string short_line =
    lines({"[generale]", "lunghezza percorso, 1000", "[curve]", "[fine]"});

TEST_F(WholeReaderTest, LineFaultLetsTheTrainFileRunUpToItsFirstSignal) {
  compile(
      lines({"[generale]", "lunghezza percorso, 1000", "[curve]", "pendenza, 9000, 1", "[fine]"}),
      lines({"[generale]", "stazione, 2000, 22, 300, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, Uno",
             "velocita, 0, 50", "segnale, 1050, 2,3,1,1,0,2,2,1,1,0", "sabbia, 2", "[fine]"}));
  EXPECT_EQ(c.voci_generali[1].nome, "Uno");
  EXPECT_EQ(c.percorso[22].tipo, tipo_cella::segnale);
  EXPECT_EQ(c.voci_generali[86].intero1, 0);
  EXPECT_EQ(c.percorso[0].velocita_limite, 0);  // stopped at once: no tails
  EXPECT_EQ(c.fault_code, 15);
  EXPECT_EQ(c.fault_position, 1050);
  ASSERT_EQ(c.diagnostics.size(), 2u);
  EXPECT_EQ(c.diagnostics[0].file, source_file::line_description);
  EXPECT_EQ(c.diagnostics[0].position, 9000);
  EXPECT_EQ(c.diagnostics[1].file, source_file::train_scenario);
  EXPECT_EQ(c.diagnostics[1].sev, severity::note);
  EXPECT_EQ(c.diagnostics[1].line, 4);
}

TEST_F(WholeReaderTest, BadProgressiveReplacesTheLineFault) {
  compile(
      lines({"[generale]", "lunghezza percorso, 1000", "progressiva chilometrica uno, 125, 0, 0",
             "[curve]", "pendenza, 9000, 1", "[fine]"}),
      lines({"[generale]", "velocita, 0, 50", "[fine]"}));
  EXPECT_EQ(c.fault_code, 2);
  EXPECT_EQ(c.fault_position, 9000);
  EXPECT_EQ(c.percorso[157].velocita_limite, 10);  // the end steps ran
  EXPECT_EQ(c.percorso[158].velocita_limite, 0);
}

TEST_F(WholeReaderTest, TextBoardsLimitTheStations) {
  // 77 boards take records 80 down to 4: station 1 fits, station 2 would reach record 3.
  std::string linea = "[generale]\r\nlunghezza percorso, 20000\r\n[curve]\r\n";
  for (int i = 0; i < 77; ++i)
    linea += "cartello_indicatore, " + std::to_string(1000 + 50 * i) + ", (Km)\r\n";
  compile(linea + "[fine]\r\n",
          lines({"[generale]", "stazione, 10000, 22, 300, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, Uno",
                 "stazione, 15000, 22, 300, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, Due", "[fine]"}));
  EXPECT_EQ(c.voci_generali[4].nome, "(Km)");
  EXPECT_EQ(c.voci_generali[1].nome, "Uno");
  EXPECT_EQ(c.fault_code, 10);
  EXPECT_EQ(c.diagnostics.back().line, 3);
}

struct failure_case {
  const char* what;
  std::string treno;
  int line;
};

class TrainReadingFailure : public ::testing::TestWithParam<failure_case> {};

TEST_P(TrainReadingFailure, CarriesItsLine) {
  compilation d;
  read_data_files(d, {short_line, GetParam().treno});
  EXPECT_EQ(d.fault_code, 25);
  ASSERT_EQ(d.diagnostics.size(), 1u);
  EXPECT_EQ(d.diagnostics[0].file, source_file::train_scenario);
  EXPECT_EQ(d.diagnostics[0].line, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    , TrainReadingFailure,
    ::testing::Values(
        failure_case{"empty", "", 0},
        failure_case{"value too large", lines({"[generale]", "", "sabbia, 70000", "[fine]"}), 3},
        failure_case{"not a number", lines({"[generale]", "numero vetture, 1x6", "[fine]"}), 2},
        failure_case{"file ends inside an entry", lines({"[generale]", "segnale, 1050, 2, 3"}), 2},
        failure_case{
            "time beyond a Long",
            lines({"[generale]", "stazione, 2000, 22, 300, 0,0,0, 0,0,0, 0,0,0, 0, 600000,0,0, X",
                   "[fine]"}),
            2},
        // The time is checked before the name is read.
        failure_case{
            "time beyond a Long, name on the next line",
            lines({"[generale]", "stazione, 2000, 22, 300, 0,0,0, 0,0,0, 0,0,0, 0, 600000,0,0", "X",
                   "[fine]"}),
            2}),
    test_support::name_from_what{});

}  // namespace
}  // namespace scenario
