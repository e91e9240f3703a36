// The diagnostics as people read them: one faulty input per code and reason, compiled in memory,
// with the exact text (message, column and caret) of the diagnostic that ends it. The expected
// texts are in data/tool/diagnostic_text.golden, one "== case" section each.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "checks/identity.h"
#include "compiler/compile.h"
#include "support/case_name.h"
#include "support/paths.h"
#include "tool/diagnostic_format.h"

namespace scenario {
namespace {

using test_support::PrintTo;

const std::string head = "[generale]\nlunghezza percorso, 1000\n[curve]\n";
const std::string plain_line = head + "[fine]\n";
const std::string plain_train = "[generale]\n[fine]\n";
const source_names names{"L.txt", "T.txt", "scenario"};

std::string train(const std::string& entries) {
  return "[generale]\n" + entries + "[fine]\n";
}

// The diagnostic that ends the run: a guard failure, else the last one recorded.
diagnostic last_diagnostic(const std::string& line, const std::string& train_text) {
  compilation c;
  c.route_name = "R";
  c.train_name = "T";
  const compile_outcome outcome = compile_scenario(c, 1, {line, train_text});
  // As compile: a reader fault ends the run before the guard checks count.
  if (outcome.reader_code == 0 && outcome.guard_code != 0)
    return guard_diagnostic(c, outcome.guard_code);
  if (c.diagnostics.empty()) return {};
  return c.diagnostics.back();
}

std::string text_of(const std::string& line, const std::string& train_text) {
  return format_diagnostic(last_diagnostic(line, train_text), names, {&line, &train_text},
                           {true, false});
}

struct golden_case {
  const char* what;
  std::string line;
  std::string train;
};

// The golden file's sections by case name.
std::map<std::string, std::string> golden_sections() {
  std::istringstream in(
      test_support::file_text(test_support::fixture_path("diagnostic_text.golden")));
  std::map<std::string, std::string> sections;
  std::string line, name;
  while (std::getline(in, line)) {
    if (line.rfind("== ", 0) == 0) {
      name = line.substr(3);
      sections[name];
    } else {
      sections[name] += line + '\n';
    }
  }
  return sections;
}

std::vector<golden_case> cases() {
  std::string boards, spans, stations;
  for (int i = 0; i < 82; ++i)
    boards += "cartello_indicatore, " + std::to_string(100 + i * 50) + ", B\n";
  for (int i = 0; i < 81; ++i)
    spans += "montagna, " + std::to_string(i * 100) + ", " + std::to_string(i * 100 + 50) + ", 2\n";
  for (int i = 0; i < 79; ++i)
    stations += "stazione, " + std::to_string(1000 + i * 1000) +
                ", 8, 100, 1,0,0, 3,1,0, 2,1,1, 1, 10,0,0, S\n";
  const std::string long_line = "[generale]\nlunghezza percorso, 100000\n[curve]\n[fine]\n";
  const std::string signal = ", 2,3,1,1,0,2,2,1,1,0\n";
  return {
      {"102 no general section", "x\ny\n", plain_train},
      {"1 route too long", "[generale]\nlunghezza percorso, 2000000\n[fine]\n", plain_train},
      {"3 repetition start", "[generale]\nripetizione segnali 9, 125, 300\n[fine]\n", plain_train},
      {"4 repetition end", "[generale]\nripetizione segnali 9, 100, 310\n[fine]\n", plain_train},
      {"5 repetition without codes", "[generale]\nripetizione segnali, 100, 300\n[fine]\n",
       plain_train},
      {"104 no length", "[generale]\nsfondo uno, 1\n[curve]\npendenza, 0, 1\n[fine]\n",
       plain_train},
      {"103 no class digit", head + "curvas, 100, 50\n[fine]\n", plain_train},
      {"103 past the plan's end", head + "curvad1,  500,  9000\n[fine]\n", plain_train},
      {"15 gradient beyond the route", head + "pendenza, 7950, 1\n[fine]\n", plain_train},
      {"15 text board before the start", head + "cartello_indicatore, -100, A\n[fine]\n",
       plain_train},
      {"15 mountain span ends past the cells", head + "montagna, 100, 9000, 12\n[fine]\n",
       plain_train},
      {"105 mountain spans",
       "[generale]\nlunghezza percorso, 10000\n[curve]\n" + spans + "[fine]\n", plain_train},
      {"6 text board on a text board",
       head + "cartello_indicatore, 500, A\ncartello_indicatore,  510, B\n[fine]\n", plain_train},
      {"6 text board on a speed-limit board",
       head + "indicatori_vmax, 500, 75,80,85,0, 75,80,85,0\ncartello_indicatore, 500, B\n[fine]\n",
       plain_train},
      {"106 text boards", "[generale]\nlunghezza percorso, 10000\n[curve]\n" + boards + "[fine]\n",
       plain_train},
      {"21 speed board on a text board",
       head + "cartello_indicatore, 500, A\nindicatori_vmax, 500, 75,80,85,0, 75,80,85,0\n[fine]\n",
       plain_train},
      {"25 not a number", head + "pendenza, 10x, 3\n[fine]\n", plain_train},
      {"2 progressive off the grid",
       "[generale]\nlunghezza percorso, 1000\nprogressiva uno, 125, 3050, 0\n[curve]\n[fine]\n",
       plain_train},
      {"15 signal beyond the route", plain_line, train("segnale, 7950" + signal)},
      {"16 signal on a signal", plain_line,
       train("segnale, 500" + signal + "segnale,   510" + signal)},
      {"16 signal on a station end", plain_line,
       train("stazione, 0, 8, 500, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, A\nsegnale, 400" + signal)},
      {"17 warning board taken", plain_line,
       train("segnale, 800" + signal + "rallentamento, 2000, 60, 500, 0, 0, 0\n")},
      {"18 start taken", plain_line,
       train("segnale, 2000" + signal + "rallentamento, 2000, 60, 500, 0, 0, 0\n")},
      {"19 end taken", plain_line,
       train("segnale, 2500" + signal + "rallentamento, 2000, 60, 500, 0, 0, 0\n")},
      {"19 end past the route", plain_line, train("rallentamento, 2000, 60, 9000, 0, 0, 0\n")},
      {"20 approach cells taken", plain_line,
       train("segnale, 700" + signal + "rallentamento, 2000, 60, 500, 0, 1, 0\n")},
      {"7 cut point on a signal", plain_line,
       train("segnale, 450" + signal + "abbattimento, 500, 180\n")},
      {"7 cut point on a cut point in cell 0", plain_line,
       train("abbattimento, 0, 270\nabbattimento, 10, 270\n")},
      {"8 station position", plain_line,
       train("stazione, 1025, 8, 500, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, A\n")},
      {"9 station length", plain_line,
       train("stazione, 1000, 8, 550, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, A\n")},
      {"15 station too near the end", plain_line,
       train("stazione, 7500, 8, 500, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, A\n")},
      {"15 station area past the cells", plain_line,
       train("stazione, 1000, 8, 9000, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, A\n")},
      {"24 station end cell too early", plain_line,
       train("stazione, 0, 4, 100, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, A\n")},
      {"22 stations too close", plain_line,
       train("stazione, 1000, 8, 500, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, A\n"
             "stazione, 2000, 4, 500, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, B\n")},
      {"10 too many stations", long_line, train(stations)},
      {"note: a line fault still set", head + "pendenza, 900000, 1\n[fine]\n",
       train("segnale, 500" + signal)},
      {"12 no room before a restriction start", plain_line,
       train("segnale, 1650" + signal + "segnale, 1700" + signal + "segnale, 1750" + signal +
             "rallentamento, 2000, 120, 500, 0, 0, 0\n")},
      {"1250 a signal in cell 1", plain_line, train("segnale, 0" + signal)},
      {"1250 a spacing marker in cell 1", plain_line,
       train("segnale, 50" + signal + "segnale, 100" + signal +
             "rallentamento, 350, 120, 500, 0, 0, 0\n")},
      {"1251 a second value in cell 1", plain_line,
       train("segnale, 0, 2, 0,1,1, 0, 2, 0,1,1, 0\n")},
  };
}

class DiagnosticText : public ::testing::TestWithParam<golden_case> {};

TEST_P(DiagnosticText, IsTheGoldenSection) {
  const std::map<std::string, std::string> golden = golden_sections();
  const auto expected = golden.find(GetParam().what);
  ASSERT_NE(expected, golden.end()) << "no section \"== " << GetParam().what << "\"";
  EXPECT_EQ(text_of(GetParam().line, GetParam().train), expected->second);
}

INSTANTIATE_TEST_SUITE_P(, DiagnosticText, ::testing::ValuesIn(cases()),
                         test_support::name_from_what{});

// A section without its case would never be compared.
TEST(DiagnosticTextGolden, EverySectionHasItsCase) {
  std::map<std::string, std::string> unmatched = golden_sections();
  for (const golden_case& k : cases()) unmatched.erase(k.what);
  for (const auto& [name, text] : unmatched) ADD_FAILURE() << "no case for \"== " << name << "\"";
}

}  // namespace
}  // namespace scenario
