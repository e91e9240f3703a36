// The timetable card: its kilometre rule, the names it prints, the form of its rows and pages, and
// the rows it makes from a small compiled scenario.
#include "card/card.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "card/card_text.h"
#include "card/kilometres.h"
#include "compiler/compile.h"

namespace scenario::card {
namespace {

tabella_voci progressives(std::vector<std::array<long_t, 3>> records) {
  tabella_voci voci{};
  int k = voce::progressiva_tre;
  for (const auto& r : records) {
    voci[static_cast<std::size_t>(k)].inizio = r[0];
    voci[static_cast<std::size_t>(k)].fine = r[1];
    voci[static_cast<std::size_t>(k)].posizione = r[2];
    ++k;
  }
  return voci;
}

TEST(Kilometres, TheBuiltInProgressivesGiveTheCardsCounts) {
  // Records 81 to 83 as the compiler leaves them: the descending count carries its value + 100.
  const std::vector<count_change> changes =
      count_changes(progressives({{315950, 412150, 1}, {284500, -284500, 0}, {31100, 3050, 0}}));
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(changes[0].position, 31100);
  EXPECT_EQ(changes[2].value, 412050);
  EXPECT_TRUE(changes[2].descending);
  const struct {
    long_t x;
    bool after;
    long_t count;
  } cases[] = {
      {0, true, 0},           {6700, true, 6700},      {31100, false, 31100}, {31100, true, 34150},
      {37950, true, 41000},   {284500, false, 287550}, {284500, true, 0},     {312250, true, 27750},
      {315950, false, 31450}, {315950, true, 96100},   {330750, true, 81300}, {332750, true, 79300},
  };
  for (const auto& c : cases)
    EXPECT_EQ(count_at(changes, c.x, c.after), c.count) << c.x << (c.after ? " after" : " before");
}

TEST(Kilometres, EmptyRecordsAreNoChangeAndTextHasThreeDecimals) {
  const std::vector<count_change> none = count_changes(progressives({}));
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(count_at(none, 12345), 12345);
  // A progressive at 0 counts from the route's start.
  const std::vector<count_change> from_start = count_changes(progressives({{0, 5000, 0}}));
  EXPECT_EQ(count_at(from_start, 0), 5000);
  EXPECT_EQ(kilometres_text(0), "0.000");
  EXPECT_EQ(kilometres_text(5), "0.005");
  EXPECT_EQ(kilometres_text(31100), "31.100");
  EXPECT_EQ(kilometres_text(-1250), "-1.250");
}

TEST(CardNames, StationsAndBoardsAsTheCardPrintsThem) {
  EXPECT_EQ(card_name("Pisa Centrale", false), "Pisa C.le");
  EXPECT_EQ(card_name("Torre in Pietra-Palidoro", false), "Torre in Pietra-Palid.");
  EXPECT_EQ(card_name("Roma Trastevere", true), "Roma Trastevere *");
  EXPECT_EQ(card_name("Castagneto Carducci Donoratico", true), "Castagneto Carducci. *");

  const struct {
    const char* text;
    const char* name;  // empty: not on the card
  } boards[] = {
      {"(  Cippo  )(Km 28+000)", "Cippo Km 28.000"},
      {"(  Cippo  )(Km126+000)", "Cippo Km 126.000"},
      {"(  Cippo  )(Km 81.300)", "Cippo Km 81.300"},
      {"(Km 28+000)", "Cippo Km 28.000"},
      {"(Dev.)(U.  )", "Dev.U."},
      {"(Dev.I.)", "Dev.I."},
      {"(Bivio     )(Mortellini)", "Bivio Mortellini"},
      {"(Zona)(Cod )", ""},
      {"Cippo", ""},
  };
  for (const auto& b : boards) {
    const std::optional<std::string> name = board_name(b.text);
    EXPECT_EQ(name.value_or(""), b.name) << b.text;
  }

  cella signal;
  signal.tipo = tipo_cella::segnale;
  for (const auto& [s1, protects] : {std::pair{2, true}, {3, true}, {4, false}, {5, true}}) {
    signal.valore1 = static_cast<integer_t>(s1 * 10 + 1);
    EXPECT_EQ(is_protection_signal(signal), protects) << s1;
  }
  cella board;
  board.tipo = tipo_cella::indicatori_v_max;
  board.valore1 = 31;
  EXPECT_FALSE(is_protection_signal(board));
}

TEST(CardRows, CellsWrittenOutByHand) {
  card_row stop;
  stop.count_m = 6700;
  stop.drawing = '/';
  stop.name = "Roma Ostiense";
  stop.arrival_s = 23 * 3600 + 26 * 60 + 40;
  stop.departure_s = 23 * 3600 + 27 * 60;
  stop.stop_s = 80;
  stop.right = right_track::speed;
  stop.right_kmh = 95;
  stop.left_code = code_mark::begins;
  stop.right_code = code_mark::begins;
  EXPECT_EQ(row_text(stop),
            " |     |     |   6.700 |/|Roma Ostiense         |23.26   23.27 (1.3)|  95 |COD COD|");

  card_row first;
  first.count_m = 0;
  first.left_max_kmh = 30;
  first.left_running_kmh = 30;
  first.drawing = '_';
  first.name = "Roma Termini";
  first.departure_s = 83730;
  EXPECT_EQ(row_text(first),
            " |  30 |  30 |   0.000 |_|Roma Termini          |        23.15      |     |       |");

  card_row passing;
  passing.count_m = 31100;
  passing.change_over = true;
  passing.left_max_kmh = 160;
  passing.left_running_kmh = 140;
  passing.drawing = '\\';
  passing.name = "Maccarese-Fregene";
  passing.passing_s = 86400 + 11 * 60 + 59.9;
  passing.right = right_track::ends;
  passing.left_code = code_mark::coded;
  EXPECT_EQ(row_text(passing),
            " | 160 | 140 |  31.100/|\\|Maccarese-Fregene     |     0.11          | ___ | :     |");

  card_row last;
  last.count_m = 83300;
  last.name = "Pisa C.le";
  last.arrival_s = 86400 + 2 * 3600 + 43 * 60;
  last.right_code = code_mark::coded;
  EXPECT_EQ(row_text(last),
            " |     |     |  83.300 | |Pisa C.le             | 2.43              |     |     : |");

  // A long stop in whole minutes, a count too long for its cell.
  card_row odd;
  odd.count_m = 123456789;
  odd.arrival_s = 3600;
  odd.departure_s = 3600 + 12 * 60 + 20;
  odd.stop_s = 12 * 60 + 20;
  EXPECT_EQ(times_text(odd), " 1.00    1.12  (12)");
  EXPECT_EQ(row_text(odd).substr(13, 10), "|######## ");
}

// A short route: two stations with signals and a halt between them; a progressive, a kilometre
// post and a junction; right-hand running that stops at a signal and starts again; the cab code
// from 2 km to 10 km.
const char* const short_line =
    "[generale]\r\n"
    "lunghezza percorso,    12000\r\n"
    "progressiva chilometrica uno,    6000,    1000,    0\r\n"
    "ripetizione segnali 9 codici,    2000,    10000\r\n"
    "[curve]\r\n"
    "[pendenze]\r\n"
    "pendenza,  0,   0\r\n"
    "pendenza,  3000,   4\r\n"
    "pendenza,  7000,   -3\r\n"
    "[cartelli]\r\n"
    "indicatori_vmax,  7900,  110,  120,  125,  0,  90,  100,  105,  0\r\n"
    "[indicazioni]\r\n"
    "cartello_indicatore,  7950,   (  Cippo  )(Km 9+000)\r\n"
    "cartello_indicatore,  9950,   (Dev.)(I.  )\r\n"
    "[fine]\r\n";

const char* const short_train =
    "[generale]\r\n"
    "numero vetture,    8\r\n"
    "percentuale massa frenata,    100\r\n"
    "[vel_limite]\r\n"
    "velocita,   0,    30\r\n"
    "velocita,    1000,    100\r\n"
    "velocita,    8000,    120\r\n"
    "[stazioni]\r\n"
    "stazione,       0,  8,  500,  1, 0, 0,  3,1,0,  2,1,1,    1,   8, 0, 0, Alta Centrale\r\n"
    "stazione,    4500, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, Fermata\r\n"
    "stazione,   11000, 22,  300,  0, 0, 0,  0,0,0,  4,1,1,    0,   8,12, 0, Bassa\r\n"
    "[segnali]\r\n"
    "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
    "segnale,    2950,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
    "segnale,    9850,   2, 3, 1,  1, 0,    2,  2,1,1, 0\r\n"
    "[fine]\r\n";

class ShortRoute : public ::testing::Test {
 protected:
  void SetUp() override {
    compile_request request{"Corta", "R 7", true, false, true};
    result = compile_pair(request, data_files{std::string(short_line), std::string(short_train)});
    ASSERT_TRUE(result.model);
    ASSERT_EQ(result.outcome_verdict, verdict::compiled) << result.model->diagnostics.size();
    card = make_card(*result.model, train_data{});
  }
  compile_result result;
  timetable_card card;
};

// The rows without their time cell, which the run decides.
std::vector<std::string> without_times(const timetable_card& card) {
  std::vector<std::string> rows;
  for (const card_row& r : card.rows) rows.push_back(row_text(r).replace(49, 19, 19, '.'));
  return rows;
}

TEST_F(ShortRoute, RowsInOrderOfTravelWithEveryChange) {
  ASSERT_FALSE(card.run.failure) << *card.run.failure;
  const std::vector<std::string> expected = {
      " |  30 |  30 |   0.000 |_|Alta C.le             |...................|     |       |",
      // Up to the halt: right-hand running starts at the signal at 1050 (its cell at 1100) and
      // ends at the one at 2950, which has no right-hand heads; the code starts at 2000.
      " | 100 | 100 |   1.000 |_|                      |...................| ___ |COD COD|",
      " |     |     |   4.500 |/|Fermata *             |...................|     | :     |",
      // The progressive at 6000: the old count, then the new one at the same place.
      " |     |     |   6.000/|/|                      |...................|     | :     |",
      " |     |     |   7.000 |/|                      |...................|     | :     |",
      // The post stands in the cell where the line speed rises; the right-hand board before it
      // gives its 100 to a right-hand track nobody runs on until the protection signal.
      " | 120 | 120 |   9.000 |\\|Cippo Km 9.000        |...................|     | :     |",
      " |     |     |  10.900 |\\|Segn.Prot.            |...................| 100 | :  COD|",
      // The code ends at 10000.
      " |     |     |  11.000 |\\|Dev.I.                |...................|     |       |",
      " |     |     |  12.000 |\\|Bassa                 |...................|     |       |",
  };
  EXPECT_EQ(without_times(card), expected);
}

TEST_F(ShortRoute, HeaderAndPagesInTheCardForm) {
  EXPECT_EQ(card.train_number, "7");
  EXPECT_EQ(card.classification, "R");
  EXPECT_EQ(card.category, "V160B");
  EXPECT_EQ(card.blocked_mass, "400T");
  EXPECT_EQ(card.braked_mass, "100%");
  EXPECT_EQ(card.repetition, "RSC9");
  EXPECT_EQ(card.end_name, "BASSA");
  const std::vector<std::string> lines = card_lines(card);
  ASSERT_EQ(lines.size(), 2u + 14 + rows_per_page + 1 + 2);
  EXPECT_EQ(lines[0], ")");
  EXPECT_EQ(lines[3],
            " |                 | Termine scheda |    SCHEDA TRENO          |       V160B      |");
  EXPECT_EQ(lines[4],
            " |    TRENO n. 7   |                |                          |                  |");
  EXPECT_EQ(lines[5],
            " |_________________|______BASSA_____|    Scheda n\xB0 1/1         "
            "|_______100%_______|       ");
  EXPECT_EQ(lines[7], "  __________________________________  Da: Alta C.le            ");
  EXPECT_EQ(lines[9],
            " |        R        |      400T      | a:  Bassa                |  E444R  |  RSC9  |");
  // Rows, then blank rows to the page's 31, then the bottom line with nothing carried on.
  EXPECT_EQ(lines[16], row_text(card.rows.front()));
  EXPECT_EQ(lines[16 + rows_per_page - 1],
            " |     |     |         | |                      |                   |     |       |");
  EXPECT_EQ(lines[16 + rows_per_page],
            " |_____|_____|_________|_|______________________|___________________|_____|_______|");
  EXPECT_EQ(lines[16 + rows_per_page + 2],
            " * Localit\xE0 sedi di fermata, sprovviste di segnalamento di protezione");
}

// The running time of the card's own run: a flat, straight 10 km with one stop, set up so that
// every phase has a constant acceleration (as in the hand calculation of the running-time tests):
//   acceleration 0.25 * 9.81 * 80 t / 400 t = 0.4905 m/s2, braking 72 % -> 0.5 m/s2, 90 km/h
//   0 to 4000 m:      50.96840 + 50 + (4000 - 637.10499 - 625) / 25  = 210.48420 s
//   4000 to 10000 m:  50.96840 + 50 + (6000 - 637.10499 - 625) / 25  = 290.48420 s
TEST(CardRunningTimes, FlatStraightTenKilometresWithOneStopByHand) {
  compilation c;
  c.percorso.assign((10000 + route_tail) / 50 + 1, cella{});
  for (cella& cell : c.percorso) {
    cell.velocita_limite = 90 / 5;
    cell.pendenza = 100;
  }
  const struct {
    long_t at;
    long_t time;
    const char* name;
  } stations[] = {{0, 8 * 3600, "A"}, {4000, 8 * 3600 + 271, "B"}, {10000, 8 * 3600 + 562, "C"}};
  for (int k = 0; k < 3; ++k) {
    voce_generale& r = c.voci_generali[static_cast<std::size_t>(k + 1)];
    r.tipo = 22;
    r.posizione = stations[k].at;
    r.orario = stations[k].time;
    r.nome = stations[k].name;
  }
  c.voci_generali[voce::treno_e_percorso].inizio = 72;    // braked mass, %
  c.voci_generali[voce::treno_e_percorso].posizione = 8;  // coaches of 40 t
  train_data t;
  t.loco = {"test", 80, 1e6, 1e4, 4};
  t.coach_mass_t = 40;
  t.stop_time_s = 60;
  timetable::running_parameters p;
  p.mass_factor = 1;
  p.adhesion_base = 0.25;
  p.adhesion_numerator_kmh = 0;
  p.locomotive_resistance = {};
  p.coach_resistance = {};
  const timetable_card card = make_card(c, t, p, {0});
  ASSERT_FALSE(card.run.failure) << *card.run.failure;
  const std::vector<timetable::stop_time>& pure = card.run.pure.stops;
  ASSERT_EQ(pure.size(), 3u);
  EXPECT_NEAR(pure[1].arrival_s, 210.48420, 1e-4);
  EXPECT_NEAR(pure[1].departure_s, 270.48420, 1e-4);
  EXPECT_NEAR(pure[2].arrival_s, 560.96840, 1e-4);
  // The schedule stretches each section to its required time: B arrives at 8:03:30.5, leaves at
  // 8:04:31, C arrives at 8:09:22.
  ASSERT_EQ(card.rows.size(), 3u);
  EXPECT_EQ(times_text(card.rows[0]), "         8.00      ");
  EXPECT_EQ(times_text(card.rows[1]), " 8.03    8.04 (1.0)");
  EXPECT_EQ(times_text(card.rows[2]), " 8.09              ");
  // At 2000 m, 105.48420 s of pure running, stretched by the same factor as its section.
  EXPECT_NEAR(card.run.passing_s(2000), 8 * 3600 + 105.48420 * 211 / 210.48420, 1e-4);
}

}  // namespace
}  // namespace scenario::card
