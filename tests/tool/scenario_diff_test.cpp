// The comparison of two compiled scenarios on small models made by hand: how objects are matched
// (in place, moved, added, removed), runs of line properties, stations by name, the identity
// codes, the track plan, and the bytes that no object accounts for.
#include "tool/scenario_diff.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace scenario {
namespace {

constexpr std::size_t cell_count = 80;

struct model {
  std::vector<cella> cells;
  tabella_voci voci{};
  std::optional<track_points> plan;

  model() : cells(cell_count) {
    for (cella& c : cells) {
      c.velocita_limite = 20;
      c.pendenza = 100;
      c.aderenza = 88;
    }
  }
  scenario_view view() const { return {&cells, &voci, plan ? &*plan : nullptr}; }
};

// Each change as one line: "group: kind words".
std::vector<std::string> changes(const model& a, const model& b) {
  std::vector<std::string> out;
  for (const change& c : compare_scenarios(a.view(), b.view()))
    out.push_back(group_title(c.group) + ": " + kind_word(c.kind) + " " + change_words(c));
  return out;
}

void put(model& m, std::size_t i, byte_t tipo, integer_t v1 = 0, integer_t v2 = 0, integer_t v3 = 0,
         integer_t v4 = 0) {
  cella& c = m.cells[i];
  c.tipo = tipo;
  c.valore1 = v1;
  c.valore2 = v2;
  c.valore3 = v3;
  c.valore4 = v4;
}

void clear(model& m, std::size_t i) {
  put(m, i, tipo_cella::nulla);
}

// A signal with heads 3/1/1 and 2/1/1, sx 2, dx 2, and its approach marks.
void signal(model& m, std::size_t i) {
  put(m, i, tipo_cella::segnale, 32, 11, 11, 8);
  for (std::size_t n = 1; n <= 4; ++n) m.cells[i - 2 * n].preavviso = static_cast<byte_t>(80 + n);
}

// A restriction of 60 km/h starting in cell `s`, `length` cells long, with its warning and four
// approach cells.
void restriction(model& m, std::size_t s, std::size_t length) {
  put(m, s, tipo_cella::inizio_rallentamento, 60, 0, 1);
  put(m, s + length, tipo_cella::fine_rallentamento, 60, 0, 1);
  put(m, s - 24, tipo_cella::avviso_rallentamento, 60);
  for (std::size_t n = 1; n <= 4; ++n)
    put(m, s - 24 - n, tipo_cella::preavviso_rallentamento, static_cast<integer_t>(n));
}

// The objects every case starts from.
model base() {
  model m;
  signal(m, 30);
  put(m, 40, tipo_cella::abbattimento, 270);
  put(m, 50, tipo_cella::cartello_indicatore, 80);
  m.voci[80].nome = "(Km 1)";
  restriction(m, 60, 4);
  return m;
}

struct object_case {
  const char* name;
  std::function<void(model&)> edit;  // turns the base into the second scenario
  std::vector<std::string> expected;
};

void PrintTo(const object_case& c, std::ostream* os) {
  *os << c.name;
}

class ObjectChanges : public ::testing::TestWithParam<object_case> {};

TEST_P(ObjectChanges, AreMatchedAndToldAsAnAuthorWouldSayThem) {
  const model a = base();
  model b = base();
  GetParam().edit(b);
  EXPECT_EQ(changes(a, b), GetParam().expected);
}

const std::string signal_words = "s 3/1/1, d 2/1/1, sx 2, dx 2, rapp 0";

INSTANTIATE_TEST_SUITE_P(
    Diff, ObjectChanges,
    ::testing::Values(
        object_case{"Nothing", [](model&) {}, {}},
        // The approach marks go with the signal and are not told apart.
        object_case{"SignalMovedWithinReach",
                    [](model& m) {
                      for (std::size_t i = 20; i <= 30; ++i) m.cells[i].preavviso = 0;
                      clear(m, 30);
                      signal(m, 28);
                    },
                    {"signals: moved 1450 -> 1350 m (-100 m): " + signal_words}},
        object_case{"SignalMovedOutOfReach",
                    [](model& m) {
                      clear(m, 30);
                      put(m, 8, tipo_cella::segnale, 32, 11, 11, 8);
                    },
                    {"signals: added at 350 m: " + signal_words,
                     "signals: removed at 1450 m: " + signal_words}},
        object_case{"SignalHeadsChanged",
                    [](model& m) { m.cells[30].valore1 = 22; },
                    {"signals: changed at 1450 m: s 3/1/1 -> 2/1/1"}},
        object_case{"CutPointLoweredToAMarker",
                    [](model& m) { m.cells[40].valore1 = 180; },
                    {"code cut points: changed at 2000 m: value 270 -> 180"}},
        // Another board before it in the file moves its text to another record: not an edit.
        object_case{"TextBoardRenumbered",
                    [](model& m) {
                      m.voci[79].nome = m.voci[80].nome;
                      m.voci[80].nome.clear();
                      m.cells[50].valore1 = 79;
                    },
                    {}},
        object_case{"TextBoardTextChanged",
                    [](model& m) { m.voci[80].nome = "(Km 2)"; },
                    {"text boards: changed at 2450 m: text \"(Km 1)\" -> \"(Km 2)\""}},
        object_case{"RestrictionMovedWhole",
                    [](model& m) {
                      for (std::size_t i : {32, 33, 34, 35, 36, 60, 64}) clear(m, i);
                      restriction(m, 62, 4);
                    },
                    {"speed restrictions: moved 2950 -> 3050 m (+100 m): 60 km/h to 3250 m, f_tt "
                     "1, warning at 1850 m, 4 approach cells"}},
        object_case{"RestrictionLengthened",
                    [](model& m) {
                      clear(m, 64);
                      put(m, 68, tipo_cella::fine_rallentamento, 60, 0, 1);
                    },
                    {"speed restrictions: changed at 2950 m: length 200 -> 400 m"}},
        object_case{"LeftoverByteOfAnObject",
                    [](model& m) { m.cells[60].valore4 = 5; },
                    {"other cell contents: changed at 3000 m: valore4 0 -> 5"}},
        object_case{"ApproachMarkOfNoObject",
                    [](model& m) { m.cells[10].preavviso = 84; },
                    {"approach marks: changed 500 to 550 m: marks - -> 84"}}),
    [](const ::testing::TestParamInfo<object_case>& info) { return std::string(info.param.name); });

TEST(Diff, SceneryMarksThatComeAndGoWithoutAnObjectAreCounted) {
  model a = base(), b = base();
  for (std::size_t i : {4, 8, 12}) a.cells[i].tipo = tipo_cella::montagna;
  b.cells[4].tipo = tipo_cella::montagna;
  EXPECT_EQ(changes(a, b), std::vector<std::string>{"scenery: changed 400 to 650 m: marks 2 -> 0"});
}

TEST(Diff, LinePropertiesAreRunsOfEqualValuesOnBothSides) {
  const model a;
  model b;
  for (std::size_t i = 10; i < 20; ++i) b.cells[i].velocita_limite = 22;
  for (std::size_t i = 20; i < 30; ++i) b.cells[i].velocita_limite = 24;
  b.cells.resize(cell_count + 2, b.cells.back());  // a longer route: cells only the second has
  EXPECT_EQ(changes(a, b), (std::vector<std::string>{
                               "speed limit: changed 500 to 1000 m: 100 -> 110 km/h",
                               "speed limit: changed 1000 to 1500 m: 100 -> 120 km/h",
                               "speed limit: changed 4000 to 4100 m: none -> 100 km/h",
                               "gradient: changed 4000 to 4100 m: none -> 0 per mille",
                               "adhesion: changed 4000 to 4100 m: none -> 88",
                               "scenery: changed 4000 to 4100 m: none -> 0",
                           }));
}

// A station of kind 22 in record k: its area around the position and its end cell.
void station(model& m, int k, const std::string& name, long_t position, long_t length) {
  voce_generale& v = m.voci[static_cast<std::size_t>(k)];
  v = voce_generale{};
  v.tipo = 22;
  v.posizione = position;
  v.inizio = position - length / 2;
  v.fine = position + length / 2;
  v.orario = 8 * 3600;
  v.nome = name;
  put(m, static_cast<std::size_t>(v.fine / 50 - 1), tipo_cella::stazione,
      static_cast<integer_t>(k));
}

model two_stations() {
  model m;
  station(m, 1, "Alta", 1000, 300);
  station(m, 2, "Bassa", 3000, 300);
  signal(m, 70);
  return m;
}

struct station_case {
  const char* name;
  std::function<void(model&)> edit;
  std::vector<std::string> expected;
};

void PrintTo(const station_case& c, std::ostream* os) {
  *os << c.name;
}

class StationChanges : public ::testing::TestWithParam<station_case> {};

TEST_P(StationChanges, AreKnownByNameAndPlace) {
  const model a = two_stations();
  model b = two_stations();
  GetParam().edit(b);
  EXPECT_EQ(changes(a, b), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Diff, StationChanges,
    ::testing::Values(
        station_case{"Renamed",
                     [](model& m) { m.voci[2].nome = "Bassa Nuova"; },
                     {"stations: changed \"Bassa Nuova\" at 3000 m: name \"Bassa\" -> \"Bassa "
                      "Nuova\""}},
        station_case{"MovedWithItsArea",
                     [](model& m) {
                       clear(m, 62);
                       station(m, 2, "Bassa", 3200, 300);
                     },
                     {"stations: moved \"Bassa\" 3000 -> 3200 m (+200 m)"}},
        station_case{"MovedAndLengthened",
                     [](model& m) {
                       clear(m, 62);
                       station(m, 2, "Bassa", 3200, 400);
                     },
                     {"stations: moved \"Bassa\" 3000 -> 3200 m (+200 m): area 2850 to 3150 m "
                      "-> 3000 to 3400 m"}},
        station_case{"TimeChanged",
                     [](model& m) { m.voci[1].orario += 60; },
                     {"stations: changed \"Alta\" at 1000 m: time 08:00:00 -> 08:01:00"}},
        station_case{"ReplacedByAnother",
                     [](model& m) {
                       clear(m, 62);
                       station(m, 2, "Nuova", 3500, 300);
                     },
                     {"stations: removed \"Bassa\" at 3000 m: kind 22, area 2850 to 3150 m, "
                      "time 08:00:00",
                      "stations: added \"Nuova\" at 3500 m: kind 22, area 3350 to 3650 m, time "
                      "08:00:00"}}),
    [](const ::testing::TestParamInfo<station_case>& info) {
      return std::string(info.param.name);
    });

// A station's end overwrites whatever its cell holds.
TEST(Diff, ASignalThatAStationEndOverwroteIsRemoved) {
  model a = two_stations(), b = two_stations();
  signal(a, 66);
  signal(b, 66);
  clear(b, 62);
  station(b, 2, "Bassa", 3200, 300);  // its end cell is 66
  EXPECT_EQ(changes(a, b), (std::vector<std::string>{
                               "stations: moved \"Bassa\" 3000 -> 3200 m (+200 m)",
                               "signals: removed at 3250 m: " + signal_words,
                           }));
}

// The identity codes follow from the names; they are shown only when they differ for another
// reason.
TEST(Diff, IdentityCodesAreShownOnlyWhenTheNamesDoNotExplainThem) {
  auto stamped = [](const std::string& train, integer_t code) {
    model m;
    m.voci[voce::percorso].nome = "Valle";
    m.voci[voce::percorso].intero1 = 610;
    m.voci[voce::percorso].orario = 30000 + code;
    m.voci[voce::treno].nome = train;
    put(m, 1, tipo_cella::nulla, 5121, code);
    return m;
  };
  const model a = stamped("R 1", 2000);
  EXPECT_EQ(changes(a, stamped("R 1", 2001)),
            std::vector<std::string>{"identity codes: changed plain code 2000 -> 2001, "
                                     "position-weighted code 32000 -> 32001"});
  EXPECT_EQ(changes(a, stamped("R 2", 2001)),
            std::vector<std::string>{"general records: changed train: name \"R 1\" -> \"R 2\""});
  model unstamped = stamped("R 2", 2001);
  unstamped.cells[1].valore1 = 0;
  EXPECT_EQ(changes(a, unstamped),
            (std::vector<std::string>{"general records: changed train: name \"R 1\" -> \"R 2\"",
                                      "identity codes: changed cell 1 stamp 5121 -> 0"}));
}

TEST(Diff, GeneralRecordsAreToldByTheirRoleAndFields) {
  model a, b;
  a.voci[voce::treno_e_percorso].inizio = 125;
  b.voci[voce::treno_e_percorso].inizio = 130;
  b.voci[voce::treno].intero1 = 150;
  b.voci[voce::treno].ottetto2 = 1;  // a field no compile writes is still seen
  EXPECT_EQ(changes(a, b),
            (std::vector<std::string>{
                "general records: changed train and route data: braked mass 125 -> 130 %",
                "general records: changed train: sand 0 -> 150, ottetto2 0 -> 1"}));
}

// A straight plan along x, one point a metre.
track_points straight(std::size_t points) {
  track_points t;
  t.resize(points - 1);
  for (std::size_t m = 0; m < points; ++m) t.set_point(m, static_cast<double>(m), 0.0);
  return t;
}

void shift(track_points& t, std::size_t first, std::size_t last, double by) {
  for (std::size_t m = first; m < last; ++m) t.set_point(m, t.x(m), t.y(m) + by);
}

TEST(Diff, TrackPlansDifferInStretchesWithTheirLargestDistance) {
  model a, b;
  a.plan = straight(1000);
  b.plan = straight(1000);
  shift(*b.plan, 100, 200, 1.0);
  shift(*b.plan, 250, 260, 2.0);   // 50 m after the stretch before: the same stretch
  shift(*b.plan, 400, 420, 0.05);  // within the tolerance
  shift(*b.plan, 500, 510, 0.5);
  EXPECT_EQ(changes(a, b),
            (std::vector<std::string>{
                "track plan: changed 100 to 260 m: largest distance 2.00 m at 250 m",
                "track plan: changed 500 to 510 m: largest distance 0.50 m at 500 m"}));

  b.plan = straight(900);
  EXPECT_EQ(changes(a, b),
            std::vector<std::string>{"track plan: removed 900 to 1000 m: points only in one plan"});
  b.plan.reset();
  EXPECT_EQ(changes(a, b),
            std::vector<std::string>{"track plan: removed the line geometry, 1000 points"});
}

}  // namespace
}  // namespace scenario
