#include "reader/line_description.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "model/numeric.h"
#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;

std::string lines(const std::vector<std::string>& ls) {
  std::string out;
  for (const auto& l : ls) out += l + "\r\n";
  return out;
}

// A line file of `length` metres with the given entries after the general section.
std::string line_file(long_t length, const std::vector<std::string>& entries) {
  std::vector<std::string> ls = {"[generale]", "lunghezza percorso,    " + std::to_string(length),
                                 "[curve]"};
  ls.insert(ls.end(), entries.begin(), entries.end());
  ls.push_back("[fine]");
  return lines(ls);
}

class LineDescription : public ::testing::Test {
 protected:
  void read(const std::string& text, long_t with_track_plan = 0) {
    c = compilation{};
    c.with_track_plan = with_track_plan;
    field_reader fields(text);
    out = read_line_description(c, fields);
  }
  void expect_fault(long_t code, std::optional<long_t> position, int line) {
    ASSERT_FALSE(c.diagnostics.empty());
    const diagnostic& d = c.diagnostics.back();
    EXPECT_EQ(c.fault_code, code);
    EXPECT_EQ(d.code, code);
    EXPECT_EQ(d.position, position);
    if (position) {
      EXPECT_EQ(c.fault_position, *position);
    }
    EXPECT_EQ(d.file, source_file::line_description);
    EXPECT_EQ(d.line, line);
    EXPECT_EQ(d.sev, severity::error);
  }

  compilation c;
  line_reading out;
};

// The arrays take the last length of the general section, and sizing them costs once, not once a
// length: 20,000 lengths of the longest route (a 600 kB file) once took 12 s of zero-filling.
TEST_F(LineDescription, ManyLengthsSizeOnceFromTheLast) {
  std::vector<std::string> ls = {"[generale]"};
  for (int i = 0; i < 20000; ++i) ls.push_back("lunghezza percorso,    1000000");
  ls.push_back("lunghezza percorso,    2000");
  ls.push_back("[curve]");
  ls.push_back("[fine]");
  const auto start = std::chrono::steady_clock::now();
  read(lines(ls), 1);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.percorso.size(), 181u);
  EXPECT_EQ(c.tracciato.last_index(), 9000);
  // Generous, for slow machines and sanitizers: the file's size, not its lengths, sets the cost.
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 3000);

  // A fault after a length still leaves the arrays of the lengths before it.
  read(lines({"[generale]", "lunghezza percorso,    2000", "lunghezza percorso,    1000001",
              "[curve]", "[fine]"}),
       1);
  EXPECT_EQ(c.fault_code, 1);
  EXPECT_EQ(c.percorso.size(), 181u);
  EXPECT_EQ(c.tracciato.last_index(), 9000);
}

TEST_F(LineDescription, SizingAtAndPastTheLimit) {
  read(line_file(1000000, {}), 1);
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.percorso.size(), 20141u);
  EXPECT_EQ(c.tracciato.last_index(), 1007000);
  EXPECT_EQ(c.voci_generali[voce::treno_e_percorso].fine, 1000000);
  EXPECT_TRUE(out.read_train);

  read(line_file(334000, {}));
  EXPECT_EQ(c.percorso.size(), 6821u);
  EXPECT_TRUE(c.tracciato.empty());  // no plan unless asked for
}

class RouteLengthOutsideTheRange : public LineDescription,
                                   public ::testing::WithParamInterface<long_t> {};

TEST_P(RouteLengthOutsideTheRange, IsFault1AndSizesNothing) {
  read(line_file(GetParam(), {}), 1);
  expect_fault(1, std::nullopt, 2);
  EXPECT_EQ(c.voci_generali[voce::treno_e_percorso].fine, GetParam());  // stored before the check
  EXPECT_TRUE(c.percorso.empty());
  EXPECT_FALSE(out.read_train);
}

INSTANTIATE_TEST_SUITE_P(, RouteLengthOutsideTheRange, ::testing::Values(1000001, -1),
                         [](const ::testing::TestParamInfo<long_t>& info) {
                           return test_support::spelled_name(std::to_string(info.param));
                         });

// The length's key holds both words; a key holding one of them is passed over like any other.
TEST_F(LineDescription, RouteLengthTakesBothWordsOfItsKey) {
  read(lines({"[generale]", "lunghezza percorso, 1000", "lunghezza, 3000", "percorso, 2000",
              "[curve]", "[fine]"}));
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.voci_generali[voce::treno_e_percorso].fine, 1000);
  EXPECT_EQ(c.percorso.size(), 161u);
}

TEST_F(LineDescription, GeneralSectionKeysAndCase) {
  read(lines({"notes before, lunghezza percorso, 5", "[GENERALE]", "LUNGHEZZA Percorso, 1000",
              "progressiva chilometrica tre, 300, 412050, 1",
              "Progressiva chilometrica due, 200, 5, 0",  // capital P: not a progressive
              "progressiva chilometrica uno, 100, 3050, 0", "sfondo uno, 1", "sfondo due, 2",
              "sfondo tre, 3", "[curve]", "sfondo uno, 9", "[fine]"}));
  EXPECT_EQ(c.percorso.size(), 161u);
  const auto& v = c.voci_generali;
  EXPECT_EQ(v[voce::progressiva_tre].inizio, 300);
  EXPECT_EQ(v[voce::progressiva_tre].fine, 412150);  // ordered, flag 1 adds 100
  EXPECT_EQ(v[voce::progressiva_due].inizio, 100);
  EXPECT_EQ(v[voce::progressiva_uno].inizio, 0);
  EXPECT_EQ(v[voce::percorso].inizio, 1);  // "sfondo uno" after the header is not general
  EXPECT_EQ(v[voce::percorso].posizione, 2);
  EXPECT_EQ(v[voce::percorso].fine, 3);
  EXPECT_EQ(c.fault_code, 0);
}

struct repetition_case {
  const char* what;
  const char* key;
  long_t inizio, fine;
  long_t code;  // 0: accepted
  long_t posizione;
};

class RepetitionCode : public LineDescription,
                       public ::testing::WithParamInterface<repetition_case> {};

TEST_P(RepetitionCode, SetsTheCodesOrRefuses) {
  const repetition_case& tc = GetParam();
  read(lines(
      {"[generale]", "lunghezza percorso, 1000",
       std::string(tc.key) + ", " + std::to_string(tc.inizio) + ", " + std::to_string(tc.fine),
       "[curve]", "[fine]"}));
  const voce_generale& r = c.voci_generali[voce::treno];
  EXPECT_EQ(c.fault_code, tc.code);
  EXPECT_EQ(r.posizione, tc.posizione);
  EXPECT_EQ(out.read_train, tc.code == 0);
  if (std::string(tc.key).starts_with("ripetizione")) {
    EXPECT_EQ(r.inizio, tc.inizio);  // stored as read, before the checks
    EXPECT_EQ(r.fine, tc.fine);
  }
  if (tc.code) expect_fault(tc.code, std::nullopt, 3);
}

INSTANTIATE_TEST_SUITE_P(
    , RepetitionCode,
    ::testing::Values(
        repetition_case{"nine codes", "ripetizione segnali 9 codici", 8000, 330700, 0, 9},
        repetition_case{"no end clears the codes", "ripetizione segnali 4 codici", 100, 0, 0, 0},
        repetition_case{"4 before 9", "ripetizione segnali 49 codici", 100, 200, 0, 4},
        repetition_case{"no digit", "ripetizione segnali codici", 100, 200, 5, 0},
        repetition_case{"other case not recognised", "Ripetizione Segnali 9", 100, 200, 0, 0},
        repetition_case{"start off the grid", "ripetizione segnali 9 codici", 125, 200, 3, 0},
        repetition_case{"end off the grid", "ripetizione segnali 9 codici", 100, 210, 4, 0}),
    test_support::name_from_what{});

TEST_F(LineDescription, FilesWithoutTheGeneralSectionOrTheLength) {
  read(lines({"lunghezza percorso, 1000", "[curve]", "[fine]"}));
  expect_fault(102, std::nullopt, 3);
  read(lines({"x", "[generale]"}));  // the last field is never interpreted
  expect_fault(102, std::nullopt, 2);
  EXPECT_FALSE(out.read_train);

  read(lines({"[generale]", "sfondo uno, 1", "[curve]", "pendenza, 0, 0", "[fine]"}));
  expect_fault(104, std::nullopt, 3);
  EXPECT_FALSE(out.read_train);
  read(lines({"[generale]", "sfondo uno, 1", "[fine]"}));
  expect_fault(104, std::nullopt, 3);

  for (const char* empty : {"", "\r\n  \r\n"}) {
    SCOPED_TRACE(::testing::PrintToString(empty));
    c = compilation{};
    field_reader fields(empty);
    EXPECT_THROW(read_line_description(c, fields), reading_failure);
  }
}

TEST_F(LineDescription, SeparatorFields) {
  // General section: up to ten separators before a key; values may be negative.
  read(lines({"[generale]", "-----", "- - -", "lunghezza percorso, 1000", "-----",
              "progressiva chilometrica uno, 0, -50, 0", "[curve]", "[fine]"}));
  EXPECT_EQ(c.percorso.size(), 161u);
  EXPECT_EQ(c.voci_generali[voce::progressiva_tre].fine, 0);  // sum 0, no positive value
  // Entries: up to two separators; a third is taken as the key and matches nothing.
  read(line_file(1000,
                 {"---", "---", "pendenza, 600, -11", "---", "---", "---", "pendenza", "1200, 0"}));
  EXPECT_EQ(c.percorso[11].pendenza, 100);
  EXPECT_EQ(c.percorso[12].pendenza, 89);
  EXPECT_EQ(c.percorso[24].pendenza, 100);
  // Separator skipping in the general section has no end-of-file test.
  c = compilation{};
  std::string text = lines({"[generale]", "--", "--"});
  field_reader fields(text);
  EXPECT_THROW(read_line_description(c, fields), reading_failure);
}

TEST_F(LineDescription, GradientFill) {
  read(line_file(1000, {"pendenza, 0, 0", "pendenza, 600, -11", "pendenza, 1200, 0"}));
  const std::size_t last = c.percorso.size() - 1;  // 160
  for (std::size_t i = 0; i <= last; ++i) {
    int expected = i < 12 ? 100 : i < 24 ? 89 : i <= last - 3 ? 100 : 0;
    ASSERT_EQ(c.percorso[i].pendenza, expected) << "cell " << i;
  }

  // The repeated position still writes one more cell with the previous gradient.
  read(line_file(1000, {"pendenza, 600, -11", "pendenza, 600, 5", "pendenza, 1200, 0"}));
  EXPECT_EQ(c.percorso[11].pendenza, 100);
  EXPECT_EQ(c.percorso[12].pendenza, 89);
  EXPECT_EQ(c.percorso[13].pendenza, 105);
  EXPECT_EQ(c.percorso[23].pendenza, 105);
  EXPECT_EQ(c.percorso[24].pendenza, 100);

  // Gradients are stored as the low byte of gradient + 100.
  read(line_file(1000, {"pendenza, 0, -101", "pendenza, 100, 156", "pendenza, 200, 0"}));
  EXPECT_EQ(c.percorso[1].pendenza, 255);
  EXPECT_EQ(c.percorso[2].pendenza, 0);
  EXPECT_EQ(c.percorso[3].pendenza, 0);
  EXPECT_EQ(c.percorso[4].pendenza, 100);
}

TEST_F(LineDescription, GradientNeverPassesTheLastCell) {
  // Route of 0 m: cells 0 .. 140; each repeat at the furthest position pushes the cursor one on.
  std::vector<std::string> entries(10, "pendenza, 6900, 1");
  read(line_file(0, entries));
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.percorso[137].pendenza, 100);
  for (std::size_t i = 138; i <= 140; ++i) EXPECT_EQ(c.percorso[i].pendenza, 101) << i;

  // The tail writes the cursor's cell once even at the end of the route.
  read(line_file(0, {"pendenza, 6900, 7", "pendenza, 6900, 9"}));
  EXPECT_EQ(c.percorso[138].pendenza, 107);
  EXPECT_EQ(c.percorso[139].pendenza, 109);
  EXPECT_EQ(c.percorso[140].pendenza, 0);
}

TEST_F(LineDescription, RangeTestEndsTheEntriesButNotTheReading) {
  // Route of 1000 m: cells 0 .. 160, so the last position accepted is 7900 (L + 6900).
  read(line_file(1000, {"pendenza, 7900, 3", "montagna, 7901, 8000, 1", "pendenza, 0, 50"}));
  expect_fault(15, 7901, 5);
  EXPECT_TRUE(out.read_train);
  EXPECT_EQ(c.percorso[157].pendenza, 100);
  EXPECT_EQ(c.percorso[158].pendenza, 103);  // the gradient tail ran
  EXPECT_EQ(c.percorso[0].pendenza, 100);    // the entry after the fault was not read
  for (const cella& cell : c.percorso) EXPECT_EQ(cell.montagna, 0);  // no span was laid

  for (const char* entry : {"cartello_indicatore, -50, x", "indicatori_vmax, -1, 1,1,1,0,1,1,1,0",
                            "montagna, -50, 1000, 1", "montagna, 1000, 8101, 1"}) {
    read(line_file(1000, {"pendenza, 0, 0", entry}));
    EXPECT_EQ(c.fault_code, 15) << entry;
    EXPECT_TRUE(out.read_train) << entry;
    EXPECT_EQ(c.diagnostics.back().line, 5) << entry;
  }
  EXPECT_EQ(c.fault_position, 8101);  // a span ending past the route: its end
}

TEST_F(LineDescription, TextBoards) {
  read(line_file(
      30000, {"montagna, 27950, 28500, 11", "cartello_indicatore,  27950,   (  Cippo  )(Km 28+000)",
              "CARTELLO_INDICATORE, 1000, secondo"}));
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.percorso[560].tipo, tipo_cella::cartello_indicatore);  // over a scenery mark
  EXPECT_EQ(c.percorso[560].valore1, 80);
  EXPECT_EQ(c.percorso[21].valore1, 79);
  EXPECT_EQ(c.voci_generali[80].nome, "(  Cippo  )(Km 28+000)");
  EXPECT_EQ(c.voci_generali[79].nome, "secondo");
  EXPECT_EQ(out.next_board_record, 78);

  read(line_file(
      30000, {"cartello_indicatore, 27950, a", "cartello_indicatore, 27950, b", "pendenza, 0, 5"}));
  expect_fault(6, 27950, 5);
  EXPECT_FALSE(out.read_train);
  EXPECT_EQ(c.voci_generali[79].nome, "");
  EXPECT_EQ(c.percorso[0].pendenza, 0);  // no tail after a refusal
}

TEST_F(LineDescription, EightyOneTextBoardsFitTheEightySecondDoesNot) {
  std::vector<std::string> boards;
  for (int i = 0; i < 81; ++i)
    boards.push_back("cartello_indicatore, " + std::to_string(100 * i) + ", t");
  read(line_file(10000, boards));
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.voci_generali[0].nome, "t");
  EXPECT_EQ(out.next_board_record, -1);
  // The 82nd is refused for want of a record before its cell is looked at (this one is occupied).
  boards.push_back("cartello_indicatore, 0, t");
  read(line_file(10000, boards));
  expect_fault(106, 0, 85);
  EXPECT_FALSE(out.read_train);
}

TEST_F(LineDescription, MountainsAndSpeedBoards) {
  read(line_file(334000, {"montagna,   8750,  11150,  12",
                          "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0",
                          "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0"}));
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_EQ(c.percorso[175].montagna, 2);
  EXPECT_EQ(c.percorso[178].tipo, tipo_cella::montagna);
  EXPECT_EQ(c.percorso[147].valore3, 1717);
  EXPECT_EQ(c.percorso[21].valore1, 1800);

  read(line_file(1000, {"indicatori_vmax, 1000, 90,95,100,0,90,95,100,0",
                        "indicatori_vmax, 1000, 90,95,100,0,90,95,100,0", "pendenza, 0, 5"}));
  expect_fault(21, 1000, 5);
  EXPECT_FALSE(out.read_train);

  std::vector<std::string> spans;
  for (int i = 0; i < 81; ++i)
    spans.push_back("montagna, " + std::to_string(100 * i) + ", " + std::to_string(100 * i + 50) +
                    ", 1");
  read(line_file(10000, spans));
  expect_fault(105, 8000, 84);
  EXPECT_FALSE(out.read_train);
  EXPECT_EQ(c.percorso[158].montagna, 3);  // the 80th span, 7900 to 7950, was laid
  EXPECT_EQ(c.percorso[160].montagna, 0);
}

TEST_F(LineDescription, Curves) {
  read(line_file(0, {"curvad1, 0, 150", "curvas3, 1350, 150"}), 1);
  EXPECT_EQ(c.fault_code, 0);
  const track_points plan = all_points(c.tracciato);
  EXPECT_EQ(plan.get(1, 1), tagged_value::integer(1));
  EXPECT_EQ(plan.get(2, 0), tagged_value::double_(0.0001));
  EXPECT_EQ(plan.get(6998, 1).kind, value_kind::double_);  // tail ran
  EXPECT_EQ(plan.get(6999, 1).kind, value_kind::empty);

  // Without the plan the curve entries and their values match nothing.
  read(line_file(0, {"curvad1, 0, 150", "pendenza, 0, 5"}), 0);
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_TRUE(c.tracciato.empty());
  EXPECT_EQ(c.percorso[0].pendenza, 105);

  for (const char* entry : {"curvad, 0, 150", "curvad1, 6900, 101"}) {  // last metre 7000
    SCOPED_TRACE(entry);
    read(line_file(0, {"pendenza, 0, 5", entry, "pendenza, 100, 0"}), 1);
    expect_fault(103, std::nullopt, 5);
    EXPECT_FALSE(out.read_train);
  }
  read(line_file(0, {"curvad1, 6901, 10"}), 1);
  expect_fault(15, 6901, 4);
}

TEST_F(LineDescription, KeyFieldWithSeveralKeysRunsEachInTableOrder) {
  read(line_file(1000, {"pendenza montagna, 600, -11, 1000, 2000, 2"}));
  EXPECT_EQ(c.percorso[12].pendenza, 89);
  EXPECT_EQ(c.percorso[20].montagna, 2);
}

TEST_F(LineDescription, LastFieldIsNeverInterpreted) {
  read(lines({"[generale]", "lunghezza percorso, 1000", "[curve]", "pendenza, 600, -11"}));
  EXPECT_EQ(c.percorso[12].pendenza, 89);  // values that end the file are read
  read(lines({"[generale]", "lunghezza percorso, 1000", "[curve]", "cartello_indicatore"}));
  EXPECT_EQ(c.fault_code, 0);
  EXPECT_TRUE(out.read_train);
}

}  // namespace
}  // namespace scenario
