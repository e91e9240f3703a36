#include "reader/read_data.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;

// A train file whose only effect is the sand value, to tell whether it was read.
const std::string train_file = "[generale]\r\nsabbia, 200\r\n[fine]\r\n";

compilation compile(const data_files& files) {
  compilation c;
  c.route_name = "Roma_Pisa";
  c.train_name = "EXPR 368";
  read_data_files(c, files);
  return c;
}

bool train_read(const compilation& c) {
  return c.voci_generali[voce::treno].intero1 == 200;
}

TEST(MemorizzaDati, NamesAndACleanReading) {
  compilation c =
      compile({"[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\n[fine]\r\n", train_file});
  EXPECT_EQ(c.voci_generali[voce::percorso].nome, "Roma_Pisa");
  EXPECT_EQ(c.voci_generali[voce::treno].nome, "EXPR 368");
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_TRUE(c.diagnostics.empty());
  EXPECT_TRUE(train_read(c));
}

TEST(MemorizzaDati, MissingLineFile) {
  compilation c = compile({std::nullopt, train_file});
  EXPECT_EQ(c.fault_code, 101);
  ASSERT_EQ(c.diagnostics.size(), 1u);
  EXPECT_EQ(c.diagnostics[0].file, source_file::line_description);
  EXPECT_EQ(c.diagnostics[0].line, 0);
  EXPECT_EQ(c.voci_generali[voce::percorso].nome, "Roma_Pisa");
  EXPECT_TRUE(c.percorso.empty());
  EXPECT_FALSE(train_read(c));
}

struct line_fault_case {
  const char* what;
  const char* line_file;
  long_t code;
  bool train;  // whether the train file is still read
};

class LineFault : public ::testing::TestWithParam<line_fault_case> {};

TEST_P(LineFault, GoesOnToTheTrainFileOrNot) {
  compilation c = compile({GetParam().line_file, train_file});
  EXPECT_EQ(c.diagnostics.front().code, GetParam().code);
  EXPECT_EQ(train_read(c), GetParam().train);
}

INSTANTIATE_TEST_SUITE_P(
    , LineFault,
    ::testing::Values(
        line_fault_case{
            "gradient beyond the route",
            "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\npendenza, 9000, 1\r\n[fine]\r\n",
            15, true},
        line_fault_case{"route too long",
                        "[generale]\r\nlunghezza percorso, 1000001\r\n[curve]\r\n[fine]\r\n", 1,
                        false},
        line_fault_case{"no length", "[generale]\r\n[curve]\r\n[fine]\r\n", 104, false},
        line_fault_case{"no general section", "[fine]\r\n", 102, false}),
    test_support::name_from_what{});

TEST(MemorizzaDati, FailureOfTheReadingCarriesFileAndLine) {
  compilation c = compile(
      {"[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\n\r\npendenza, 12x, 1\r\n[fine]\r\n",
       train_file});
  EXPECT_EQ(c.fault_code, 25);
  ASSERT_EQ(c.diagnostics.size(), 1u);
  EXPECT_EQ(c.diagnostics[0].file, source_file::line_description);
  EXPECT_EQ(c.diagnostics[0].line, 5);
  EXPECT_FALSE(c.diagnostics[0].position.has_value());
  EXPECT_FALSE(train_read(c));

  for (const char* empty : {"", "  \r\n"}) {
    SCOPED_TRACE(::testing::PrintToString(empty));
    compilation e = compile({std::string(empty), train_file});
    EXPECT_EQ(e.fault_code, 25);
    EXPECT_EQ(e.diagnostics.back().file, source_file::line_description);
  }

  compilation t =
      compile({"[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\n[fine]\r\n", std::nullopt});
  EXPECT_EQ(t.fault_code, 25);
  ASSERT_EQ(t.diagnostics.size(), 1u);
  EXPECT_EQ(t.diagnostics[0].file, source_file::train_scenario);
  EXPECT_EQ(t.diagnostics[0].line, 0);
  EXPECT_EQ(t.percorso.size(), 161u);  // the line half stays in the model
}

// Whole messages, as the tool prints them after "FILE:LINE:COLUMN: error: ", and their columns.
struct message_case {
  const char* what;
  std::optional<std::string> linea, treno;
  int line;
  int column;
  std::string message;
};

const std::string line_head = "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\n";

const message_case message_cases[] = {
    {"no general section", "x\r\ny\r\n", train_file, 2, 0,
     "no field holds \"[generale]\" before the end of the line description; put a line "
     "\"[generale]\" before the general keys"},
    {"text board on a board",
     line_head + "cartello_indicatore, 500, a\r\n"
                 "cartello_indicatore, 500, b\r\n[fine]\r\n",
     train_file, 5, 22,
     "text board at 500 m: cell 11 (metres 550 to 599) already holds a text board, placed by "
     "line 4 of the line description; move one of the two by 50 m or more"},
    {"not a number", line_head + "pendenza, 10x, 3\r\n[fine]\r\n", train_file, 4, 11,
     "unreadable entry: field \"10x\" is not a number"},
    {"signal on a signal", line_head + "[fine]\r\n",
     "[generale]\r\nsegnale, 500, 2,3,1,1,0,2,2,1,1,0\r\n"
     "segnale, 500, 2,3,1,1,0,2,2,1,1,0\r\n[fine]\r\n",
     3, 10,
     "signal at 500 m: cell 11 (metres 550 to 599) already holds a signal, placed by line 2 "
     "of the train scenario; move one of the two by 50 m or more"},
    {"station position", line_head + "[fine]\r\n",
     "[generale]\r\nstazione, 1025, 8, 500, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, A\r\n[fine]\r\n", 2,
     11, "station position 1025 m is not a multiple of 50; use 1000 or 1050"},
    {"line fault still set at a signal", line_head + "pendenza, 900000, 1\r\n[fine]\r\n",
     "[generale]\r\nsegnale, 500, 2,3,1,1,0,2,2,1,1,0\r\n[fine]\r\n", 2, 10,
     "the reading stops at this entry because fault 15 is still set"},
};

class DiagnosticMessage : public ::testing::TestWithParam<message_case> {};

TEST_P(DiagnosticMessage, WordsLineAndColumn) {
  const message_case& k = GetParam();
  compilation c = compile({k.linea, k.treno});
  ASSERT_FALSE(c.diagnostics.empty());
  EXPECT_EQ(c.diagnostics.back().message, k.message);
  EXPECT_EQ(c.diagnostics.back().line, k.line);
  EXPECT_EQ(c.diagnostics.back().column, k.column);
}

INSTANTIATE_TEST_SUITE_P(, DiagnosticMessage, ::testing::ValuesIn(message_cases),
                         test_support::name_from_what{});

// The codes of every diagnostic, with the reading going on after refusals or stopping at the first.
std::vector<std::int32_t> codes(const std::string& line, const std::string& train, bool read_on) {
  compilation c;
  c.with_track_plan = true;
  c.read_on_after_refusal = read_on;
  read_data_files(c, {line, train});
  std::vector<std::int32_t> found;
  for (const diagnostic& d : c.diagnostics) found.push_back(d.code);
  return found;
}

std::string repeated(int n, const std::function<std::string(int)>& entry) {
  std::string text;
  for (int i = 0; i < n; ++i) text += entry(i);
  return text;
}

TEST(MemorizzaDati, ReadingOnAfterRefusalsFindsEveryFaultOnce) {
  const std::string line_head = "[generale]\r\nlunghezza percorso, 100000\r\n[curve]\r\n";
  const std::string plain_line = line_head + "[fine]\r\n";
  const std::string signal = ", 2,3,1,1,0,2,2,1,1,0\r\n";
  struct read_on_case {
    const char* what;
    std::string line, train;
    std::vector<std::int32_t> read_on, first_only;
  };
  const read_on_case cases[] = {
      {"a refusal in each file, the first a 15 that would stop the train file at its signal",
       line_head + "pendenza, 200000, 1\r\ncartello_indicatore, 500, a\r\n"
                   "cartello_indicatore, 500, b\r\n[fine]\r\n",
       "[generale]\r\nsegnale, 700" + signal + "segnale, 700" + signal + "[fine]\r\n",
       {15, 6, 16},
       {15, 15}},
      {"a failure of the reading passes over the rest of its line only",
       line_head + "pendenza, 10x, 3, 4\r\npendenza, 100, 2\r\npendenza, 1x, 2\r\n[fine]\r\n",
       "[generale]\r\n[fine]\r\n",
       {25, 25},
       {25}},
      {"a speed that does not fit fails once, at the limit after it",
       plain_line,
       "[generale]\r\nvelocita, 0, 2000\r\nvelocita, 100, 30\r\nvelocita, 200, 40\r\n[fine]\r\n",
       {25},
       {25}},
      {"a full station table is told once, and no station past it takes a record",
       plain_line,
       "[generale]\r\n" +
           repeated(84,
                    [](int i) {
                      return "stazione, " + std::to_string(1000 * (i + 1)) +
                             ", 22, 100, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S\r\n";
                    }) +
           "[fine]\r\n",
       {10},
       {10}},
      {"so is a full board table",
       line_head +
           repeated(84,
                    [](int i) {
                      return "cartello_indicatore, " + std::to_string(100 * (i + 1)) + ", (a)\r\n";
                    }) +
           "[fine]\r\n",
       "[generale]\r\n[fine]\r\n",
       {106},
       {106}},
  };
  for (const read_on_case& k : cases) {
    EXPECT_EQ(codes(k.line, k.train, true), k.read_on) << k.what;
    EXPECT_EQ(codes(k.line, k.train, false), k.first_only) << k.what;
  }

  // The stations past a full table leave the records after the stations' as they were.
  compilation c;
  c.read_on_after_refusal = true;
  read_data_files(c, {plain_line, cases[3].train});
  EXPECT_EQ(c.voci_generali[voce::primo_cartello].nome, "");
  EXPECT_EQ(c.voci_generali[voce::treno_e_percorso].fine, 100000);
}

}  // namespace
}  // namespace scenario
