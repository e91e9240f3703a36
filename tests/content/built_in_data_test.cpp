// The built-in line description and train scenario: their layout, the rules their rows keep, and
// what they compile to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "content/documents.h"

namespace scenario {
namespace {

std::vector<std::string> lines_of(const line_table& table) {
  return {table.begin(), table.begin() + static_cast<std::ptrdiff_t>(table_length(table))};
}

// The comma-separated values of a row, blanks around each value removed.
std::vector<std::string> fields(const std::string& row) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = row.find(',', start);
    std::string f =
        row.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    f.erase(0, f.find_first_not_of(' '));
    f.erase(f.find_last_not_of(' ') + 1);
    out.push_back(f);
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

// The rows of a section: the lines after its header up to the next header.
std::vector<std::string> section(const std::vector<std::string>& lines, const std::string& header) {
  auto it = std::find(lines.begin(), lines.end(), header);
  EXPECT_NE(it, lines.end()) << header;
  std::vector<std::string> rows;
  for (++it; it != lines.end() && it->rfind("[", 0) != 0; ++it)
    if (!it->empty()) rows.push_back(*it);
  return rows;
}

long number(const std::string& row, std::size_t i) {
  return std::stol(fields(row).at(i));
}

struct quoted_line {
  std::size_t number;  // 1-based
  const char* text;
};

TEST(BuiltInData, LineCountsHeadersAndQuotedRows) {
  const std::vector<std::string> linea = lines_of(dati_linea());
  const std::vector<std::string> treno = lines_of(dati_treno());
  ASSERT_EQ(linea.size(), 537u);
  ASSERT_EQ(treno.size(), 360u);

  const quoted_line linea_lines[] = {
      {1, "[generale]"},
      {2, "lunghezza percorso,    334000"},
      {3, "progressiva chilometrica uno,    31100,    3050,    0"},
      {4, "progressiva chilometrica due,    284500,    -284500,    0"},
      {5, "progressiva chilometrica tre,    315950,    412050,    1"},
      {6, "sfondo uno,    1"},
      {9, "ripetizione segnali 9 codici,    8000,    330700"},
      {10, "[curve]"},
      {11, "curvas1,  1350,  150"},
      {12, "curvad3,  2150,  100"},
      {13, "curvad5,  2250,  500"},
      {183, "curvas2,  332050,  400"},
      {184, "[pendenze]"},
      {185, "pendenza,  0,   0"},
      {188, "pendenza,  1250,   -4,5"},
      {435, "pendenza,  317750,   0"},
      {436, "[montagne]"},
      {437, "montagna,   8750,  11150,  12"},
      {451, "montagna,   303650,  304100,  2"},
      {452, "[cartelli]"},
      {453, "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0"},
      {454, "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0"},
      {516, "indicatori_vmax,  329800,  110,  120,  125,  0,  ,  ,  ,  0"},
      {517, "[indicazioni]"},
      {518, "cartello_indicatore,  7950,   (Zona)(Cod )"},
      {535, "cartello_indicatore,  325100,   (Bivio     )(Mortellini)"},
      {536, "cartello_indicatore,  330750,   (  Cippo  )(Km 81.300)"},
      {537, "[fine]"},
  };
  for (const quoted_line& q : linea_lines) EXPECT_EQ(linea[q.number - 1], q.text) << q.number;

  const quoted_line treno_lines[] = {
      {1, "[generale]"},
      {5, "orologio,    23              15            30 "},
      {6, "[aderenze]"},
      {7, "aderenza,       0,    88"},
      {13, "aderenza,  265300,    98"},
      {14, "[vel_limite]"},
      {15, "velocita,   0,    30"},
      {16, "velocita,    1000,    95"},
      {52, "velocita,  330750,   120"},
      {53, "[stazioni]"},
      {54, "stazione,       0,  8,  500,  1, 0, 0,  3,1,0,  2,1,1,    1,  23,15,30, Roma Termini"},
      {67, ""},
      {99, "stazione,  332750, 12,  600,  0, 1, 0,  1,1,0,  2,1,1,    0,   2,43, 0, Pisa Centrale"},
      {100, "[rallentamenti]"},
      {101, "[segnali]"},
      {102, "segnale,    1050,   2, 3, 1,  1, 0,    2,  2,1,1, 160"},
      {280, "segnale,  330950,   2, 2, 3,  1, 1,    2,  2,1,1, 0"},
      {281, "[codici]"},
      {282, "abbattimento,    7050,   270"},
      {359, "abbattimento,  327450,   270"},
      {360, "[fine]"},
  };
  for (const quoted_line& q : treno_lines) EXPECT_EQ(treno[q.number - 1], q.text) << q.number;

  // The only blank line stands between S.Marinella and Civitavecchia.
  EXPECT_EQ(std::count(treno.begin(), treno.end(), ""), 1);
  EXPECT_NE(treno[65].find("S.Marinella"), std::string::npos);
  EXPECT_NE(treno[67].find("Civitavecchia"), std::string::npos);
  EXPECT_EQ(std::count(linea.begin(), linea.end(), ""), 0);
}

TEST(BuiltInData, WrittenWithCrLfAndWithoutTheEndMarker) {
  for (const text_document& doc : built_in_documents(built_in_route, built_in_train)) {
    const std::string bytes = doc.bytes();
    EXPECT_EQ(bytes.find(end_marker), std::string::npos) << doc.file_name;
    std::size_t lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') {
        ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << doc.file_name << " byte " << i;
        ++lines;
      } else if (bytes[i] == '\r') {
        ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << doc.file_name << " byte " << i;
      }
    }
    EXPECT_EQ(lines, table_length(*doc.table)) << doc.file_name;
  }
}

TEST(BuiltInData, CurveRows) {
  const std::vector<std::string> rows = section(lines_of(dati_linea()), "[curve]");
  ASSERT_EQ(rows.size(), 173u);
  std::map<char, int> sides, classes;
  long previous_end = 0, previous_start = -1, min_length = 1 << 30, max_length = 0;
  for (const std::string& row : rows) {
    const std::string key = fields(row)[0];
    ASSERT_EQ(key.size(), 7u) << row;
    ASSERT_EQ(key.substr(0, 5), "curva");
    ++sides[key[5]];
    ++classes[key[6]];
    const long start = number(row, 1), length = number(row, 2);
    EXPECT_EQ(start % 50, 0) << row;
    EXPECT_GT(start, previous_start) << row;
    EXPECT_GE(start, previous_end) << "overlaps the curve before: " << row;
    previous_start = start;
    previous_end = start + length;
    min_length = std::min(min_length, length);
    max_length = std::max(max_length, length);
  }
  EXPECT_EQ(previous_end, 332450);
  EXPECT_EQ(min_length, 50);
  EXPECT_EQ(max_length, 1900);
  EXPECT_EQ(sides, (std::map<char, int>{{'d', 77}, {'s', 96}}));
  EXPECT_EQ(classes,
            (std::map<char, int>{{'1', 21}, {'2', 26}, {'3', 47}, {'4', 50}, {'5', 25}, {'6', 4}}));
  const auto first_class_6 =
      std::find_if(rows.begin(), rows.end(), [](const std::string& r) { return r[6] == '6'; });
  EXPECT_EQ(*first_class_6, "curvad6,  77700,  250");
}

TEST(BuiltInData, GradientRows) {
  const std::vector<std::string> rows = section(lines_of(dati_linea()), "[pendenze]");
  ASSERT_EQ(rows.size(), 251u);
  long previous = -1;
  int zeros = 0;
  for (const std::string& row : rows) {
    const long position = number(row, 1), gradient = number(row, 2);
    EXPECT_EQ(position % 50, 0) << row;
    EXPECT_GT(position, previous) << row;
    EXPECT_GE(gradient, -11) << row;
    EXPECT_LE(gradient, 11) << row;
    zeros += gradient == 0;
    previous = position;
    // Only the row with the decimal comma leaves its form.
    EXPECT_EQ(fields(row).size(), row == "pendenza,  1250,   -4,5" ? 4u : 3u) << row;
  }
  EXPECT_EQ(previous, 317750);
  EXPECT_EQ(zeros, 92);
}

TEST(BuiltInData, SpeedBoardRows) {
  const std::vector<std::string> rows = section(lines_of(dati_linea()), "[cartelli]");
  ASSERT_EQ(rows.size(), 64u);
  long previous = 0;
  int left_only = 0, previous_stripes = 0, runs_of_three = 0, runs_of_two = 0;
  for (const std::string& row : rows) {
    const std::vector<std::string> f = fields(row);
    ASSERT_EQ(f.size(), 10u) << row;
    const long position = std::stol(f[1]);
    EXPECT_GT(position, previous) << row;
    previous = position;
    // Fields: key, position, three left speeds, left stripes, three right speeds, right stripes.
    const int stripes = std::stoi(f[5]);
    if (f[6].empty()) {
      ++left_only;
      EXPECT_TRUE(f[7].empty() && f[8].empty()) << row;
      EXPECT_EQ(f[9], "0") << row;
    } else {
      EXPECT_EQ(f[9], f[5]) << row;
    }
    // Stripes count down to the board itself: 2, 1, 0 or 1, 0.
    if (previous_stripes > 0) {
      EXPECT_EQ(stripes, previous_stripes - 1) << row;
    }
    runs_of_three += stripes == 2;
    runs_of_two += stripes == 1 && previous_stripes == 0;
    previous_stripes = stripes;
  }
  EXPECT_EQ(previous, 329800);
  EXPECT_EQ(previous_stripes, 0);
  EXPECT_EQ(left_only, 18);
  EXPECT_EQ(runs_of_three, 7);
  EXPECT_EQ(runs_of_two, 6);
}

TEST(BuiltInData, SignalAndCutOffRows) {
  const std::vector<std::string> lines = lines_of(dati_treno());
  const std::vector<std::string> signals = section(lines, "[segnali]");
  ASSERT_EQ(signals.size(), 179u);
  long previous = 0;
  int timed = 0, repeated = 0, left_only = 0;
  for (const std::string& row : signals) {
    const std::vector<std::string> f = fields(row);
    ASSERT_EQ(f.size(), 12u) << row;
    // Fields of 8, 4, 2, 2, 3, 2, 5, 3, 1 and 1 characters, then the time after one blank.
    const std::size_t widths[] = {8, 4, 2, 2, 3, 2, 5, 3, 1, 1};
    std::size_t at = row.find(',');
    for (std::size_t w : widths) {
      const std::size_t next = row.find(',', at + 1);
      EXPECT_EQ(next - at - 1, w) << row;
      at = next;
    }
    EXPECT_EQ(row[at + 1], ' ') << row;
    const long position = std::stol(f[1]);
    EXPECT_EQ(position % 50, 0) << row;
    EXPECT_GT(position, previous) << row;
    previous = position;
    EXPECT_EQ(f[2], "2") << row;
    timed += f[11] != "0";
    repeated += f[6] == "1";
    if (f[7] == "0") {
      ++left_only;
      EXPECT_TRUE(f[8] == "0" && f[9] == "0" && f[10] == "0") << row;
    }
  }
  EXPECT_EQ(std::stol(fields(signals.front())[1]), 1050);
  EXPECT_EQ(previous, 330950);
  EXPECT_EQ(timed, 5);
  EXPECT_EQ(repeated, 2);
  EXPECT_EQ(left_only, 19);

  const std::vector<std::string> cuts = section(lines, "[codici]");
  ASSERT_EQ(cuts.size(), 78u);
  previous = 0;
  for (const std::string& row : cuts) {
    const long position = number(row, 1);
    EXPECT_GT(position, previous) << row;
    EXPECT_FALSE(position > 78600 && position < 280200) << row;
    EXPECT_FALSE(position > 316000 && position < 326100) << row;
    EXPECT_EQ(fields(row)[2], "270") << row;
    EXPECT_EQ(row.size(), std::string("abbattimento,    7050,   270").size()) << row;
    previous = position;
  }
  EXPECT_TRUE(section(lines, "[rallentamenti]").empty());
}

TEST(BuiltInData, CompilesToTheExpectedScenario) {
  compilation c;
  c.route_name = built_in_route;
  c.train_name = built_in_train;
  const std::vector<text_document> docs = built_in_documents(built_in_route, built_in_train);
  const data_files files{docs[0].bytes(), docs[1].bytes()};
  const compile_outcome outcome = compile_scenario(c, 1, files);
  EXPECT_EQ(outcome.reader_code, 0);
  EXPECT_EQ(outcome.guard_code, 0);
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_TRUE(c.diagnostics.empty()) << c.diagnostics.front().message;

  ASSERT_EQ(c.percorso.size(), 6821u);
  std::map<int, int> kinds;
  int cut_270 = 0;
  for (const cella& cell : c.percorso) {
    ++kinds[cell.tipo];
    cut_270 += cell.tipo == 12 && cell.valore1 == 270;
  }
  EXPECT_EQ(kinds[1], 179);  // signals
  EXPECT_EQ(kinds[12], 78);  // code cut-off points, all from the data
  EXPECT_EQ(cut_270, 78);
  EXPECT_EQ(kinds[14], 19);  // text boards
  EXPECT_EQ(kinds[6], 64);   // speed boards
  EXPECT_EQ(kinds[10], 34);  // station ends: the stations below kind 25

  for (int k = 1; k <= 45; ++k) EXPECT_FALSE(c.voci_generali[k].nome.empty()) << k;
  EXPECT_TRUE(c.voci_generali[46].nome.empty());
  EXPECT_EQ(c.voci_generali[1].orario, 83730);
  for (int k = 62; k <= 80; ++k) EXPECT_EQ(c.voci_generali[k].nome.front(), '(') << k;
  EXPECT_EQ(c.voci_generali[80].nome, "(Zona)(Cod )");

  const voce_generale& r81 = c.voci_generali[81];
  const voce_generale& r82 = c.voci_generali[82];
  const voce_generale& r83 = c.voci_generali[83];
  EXPECT_EQ((std::vector<long_t>{r81.inizio, r81.fine, r81.posizione, r82.inizio, r82.fine,
                                 r82.posizione, r83.inizio, r83.fine, r83.posizione}),
            (std::vector<long_t>{315950, 412150, 1, 284500, -284500, 0, 31100, 3050, 0}));
  EXPECT_EQ(c.voci_generali[84].posizione, 16);
  EXPECT_EQ(c.voci_generali[84].inizio, 125);
  EXPECT_EQ(c.voci_generali[84].fine, 334000);
  const voce_generale& r86 = c.voci_generali[86];
  EXPECT_EQ(r86.intero1, 200);
  EXPECT_EQ((std::vector<int>{r86.intero3, r86.intero4, r86.intero5}),
            (std::vector<int>{23, 15, 30}));
  EXPECT_EQ(c.percorso[1].valore2, 2383);
  EXPECT_EQ(c.voci_generali[85].orario, 31753);
}

}  // namespace
}  // namespace scenario

namespace scenario {
namespace {

// The built-in pair compiled, with its track plan.
const compilation& built_in_model() {
  static const compilation c = [] {
    compilation m;
    m.route_name = built_in_route;
    m.train_name = built_in_train;
    const std::vector<text_document> docs = built_in_documents(built_in_route, built_in_train);
    compile_scenario(m, true, data_files{docs[0].bytes(), docs[1].bytes()});
    return m;
  }();
  return c;
}

int line_kmh(const compilation& c, long_t x) {
  return c.percorso[static_cast<std::size_t>(x / 50)].velocita_limite * 5;
}

// A curve of radius R with 160 mm of cant and 150 mm of cant deficiency: v = sqrt(R * 310 / 11.8)
// km/h. Class 4 (1000 m) allows 162, class 5 (500 m) 114, class 6 (333 m) 93.
TEST(BuiltInData, CurveClassesFitTheLineSpeed) {
  const compilation& c = built_in_model();
  const std::map<char, int> allows = {{'1', 400}, {'2', 360}, {'3', 250},
                                      {'4', 160}, {'5', 110}, {'6', 90}};
  for (const std::string& row : section(lines_of(dati_linea()), "[curve]")) {
    const long start = number(row, 1), length = number(row, 2);
    int fastest = 0;
    for (long x = start; x < start + length; x += 50)
      fastest = std::max(fastest, line_kmh(c, static_cast<long_t>(x)));
    EXPECT_LE(fastest, allows.at(row[6])) << row;
  }
}

TEST(BuiltInData, GradientsChangeAtEveryRowWithoutShortSteepElements) {
  const std::vector<std::string> rows = section(lines_of(dati_linea()), "[pendenze]");
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_NE(number(rows[i], 2), number(rows[i - 1], 2)) << rows[i] << " repeats the row before";
    const long length = i + 1 < rows.size() ? number(rows[i + 1], 1) - number(rows[i], 1) : 0;
    if (i + 1 < rows.size() && std::abs(number(rows[i], 2)) >= 6) {
      EXPECT_GE(length, 400) << rows[i] << ": a steep element of " << length << " m";
    }
  }
}

// Boards without stripes change the speeds in force (of some rank, on some side) and stand where
// the line speed changes to their speed for the train's rank, in their cell or the next; boards
// with stripes announce them. Three quoted boards announce their reduction 900 to 950 m early.
TEST(BuiltInData, SpeedBoardsChangeTheSpeedInForce) {
  const compilation& c = built_in_model();
  const std::set<long> early = {7300, 27050, 329800};
  std::vector<std::string> left_in_force, right_in_force;
  for (const std::string& row : section(lines_of(dati_linea()), "[cartelli]")) {
    const std::vector<std::string> f = fields(row);
    if (f[5] != "0") continue;
    const std::vector<std::string> left(f.begin() + 2, f.begin() + 5);
    const std::vector<std::string> right(f.begin() + 6, f.begin() + 9);
    const bool has_right = !right[0].empty();
    EXPECT_TRUE(left != left_in_force || (has_right && right != right_in_force))
        << row << " repeats the speeds in force";
    left_in_force = left;
    if (has_right) right_in_force = right;
    const long position = std::stol(f[1]);
    if (early.count(position)) continue;
    const long_t cell_start = static_cast<long_t>(position + 50);
    const int b = std::stoi(f[3]);
    EXPECT_TRUE(line_kmh(c, cell_start) == b || line_kmh(c, cell_start + 50) == b)
        << row << ": the line speed there is " << line_kmh(c, cell_start);
  }
}

// Every station with signals between the first and the last has a protection signal before its
// area and a departure signal after it; every junction a signal of its station in the 2 km before
// it; no signal stands in a station's or halt's area.
TEST(BuiltInData, StationsAndJunctionsHaveTheirSignalsAndNoSignalStandsOnAPlatform) {
  const compilation& c = built_in_model();
  std::vector<const voce_generale*> stations;
  for (int k = voce::prima_stazione; !c.voci_generali[static_cast<std::size_t>(k)].nome.empty();
       ++k)
    stations.push_back(&c.voci_generali[static_cast<std::size_t>(k)]);
  auto signal_s = [&](std::size_t i) { return c.percorso[i].valore1 / 10; };
  auto signal_heads = [&](std::size_t i) { return c.percorso[i].valore2 / 10; };
  std::vector<long_t> protection, departure;
  for (std::size_t i = 0; i < c.percorso.size(); ++i) {
    if (c.percorso[i].tipo != tipo_cella::segnale) continue;
    const long_t x = static_cast<long_t>(i) * 50;
    if (signal_s(i) != 4) protection.push_back(x);
    if (signal_s(i) == 4 && signal_heads(i) == 1) departure.push_back(x);
    for (const voce_generale* s : stations)
      EXPECT_FALSE(x >= s->inizio && x < s->fine)
          << "the signal at " << x << " stands in " << s->nome;
  }
  for (std::size_t k = 1; k + 1 < stations.size(); ++k) {
    const voce_generale& s = *stations[k];
    if (s.tipo >= 25) continue;
    const bool protected_ = std::any_of(protection.begin(), protection.end(), [&](long_t x) {
      return x < s.inizio && x >= stations[k - 1]->fine;
    });
    const bool left = std::any_of(departure.begin(), departure.end(), [&](long_t x) {
      return x >= s.fine && x < stations[k + 1]->inizio;
    });
    // Roma Tuscolana's protection signal is Roma Termini's exit signal at 1050.
    EXPECT_TRUE(protected_ || s.nome == "Roma Tuscolana") << s.nome << " has no protection signal";
    EXPECT_TRUE(left) << s.nome << " has no departure signal";
  }
  for (std::size_t i = 0; i < c.percorso.size(); ++i) {
    if (c.percorso[i].tipo != tipo_cella::cartello_indicatore) continue;
    const std::string& text = c.voci_generali[static_cast<std::size_t>(c.percorso[i].valore1)].nome;
    if (text.find("Dev") == std::string::npos && text.find("Bivio") == std::string::npos) continue;
    const long_t x = static_cast<long_t>(i) * 50;
    const bool signalled = std::any_of(protection.begin(), protection.end(),
                                       [&](long_t p) { return p < x && p >= x - 2000; }) ||
                           std::any_of(departure.begin(), departure.end(),
                                       [&](long_t p) { return p < x && p >= x - 2000; });
    EXPECT_TRUE(signalled) << text << " at " << x;
  }
}

// The code is cut in front of every signal of the short-section stretches (Roma to Civitavecchia,
// Cecina to Livorno Calambrone, the Pisa approach) and nowhere else: a cut-off point written at a
// signal's position falls in the cell just in front of it.
TEST(BuiltInData, CutPointsStandInFrontOfTheSignalsOfShortSections) {
  const compilation& c = built_in_model();
  int cuts = 0;
  for (std::size_t i = 0; i + 1 < c.percorso.size(); ++i) {
    if (c.percorso[i].tipo == tipo_cella::abbattimento) {
      ++cuts;
      EXPECT_EQ(c.percorso[i + 1].tipo, tipo_cella::segnale) << "the cut point at " << i * 50;
    }
    if (c.percorso[i + 1].tipo == tipo_cella::segnale) {
      const long x = static_cast<long>(i) * 50;
      const bool short_sections =
          (x >= 7050 && x <= 78600) || (x >= 280200 && x <= 316000) || (x >= 326100 && x <= 327450);
      EXPECT_EQ(c.percorso[i].tipo == tipo_cella::abbattimento, short_sections) << x;
    }
  }
  EXPECT_EQ(cuts, 78);
}

}  // namespace
}  // namespace scenario
