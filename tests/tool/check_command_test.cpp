// `scenario check`: the author warnings on small inputs, its statuses and `--input-encoding`; that
// no diagnostic option changes a compiled byte; and an explanation for every code. The text of
// whole runs is in the golden transcripts (data/golden/check/).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "content/documents.h"
#include "model/diagnostics.h"
#include "model/fault_codes.h"
#include "support/case_name.h"
#include "support/temp_dir.h"
#include "tool/compile_command.h"
#include "tool/explain_command.h"

namespace scenario {
namespace {

using test_support::PrintTo;
using test_support::temp_dir;

const std::string line_head = "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\n";
const std::string plain_line = line_head + "[fine]\r\n";
const std::string plain_train = "[generale]\r\n[fine]\r\n";

struct check_result {
  int status;
  std::string out;
  std::string err;
  std::vector<std::string> heads;  // the diagnostics' first lines, without the folder
};

check_result check(const temp_dir& dir, const std::string& line, const std::string& train,
                   bool werror = false) {
  dir.write("P_linea.txt", line);
  dir.write("P_T-.txt", train);
  check_options o;
  o.compile.line_path = dir.file("P_linea.txt");
  o.compile.train_path = dir.file("P_T-.txt");
  o.werror = werror;
  std::ostringstream out, err;
  check_result r{run_check(o, out, err), out.str(), err.str(), {}};
  std::istringstream lines(r.err);
  for (std::string l; std::getline(lines, l);) {
    if (l.rfind(dir.path() + "/", 0) == 0) r.heads.push_back(l.substr(dir.path().size() + 1));
  }
  return r;
}

const std::string signal_values = ", 2,3,1,1,0,2,2,1,1,0\r\n";

struct warning_case {
  const char* what;
  std::string line, train;
  std::vector<std::string> heads;
};

const warning_case warning_cases[] = {
    {"misspelled key",
     line_head + "pendnza, 5000, -3\r\n[fine]\r\n",
     plain_train,
     {"P_linea.txt:4:1: warning: unknown key 'pendnza' (did you mean 'pendenza'?); the entry is "
      "passed over with its values [code 201]"}},
    {"misspelled general key",
     "[generale]\r\nlunghezza percorso, 1000\r\nsfondo unno, 2\r\n"
     "[curve]\r\n[fine]\r\n",
     plain_train,
     {"P_linea.txt:3:1: warning: unknown key 'sfondo unno' (did you mean 'sfondo uno'?); the "
      "entry is passed over with its values [code 201]"}},
    // A header has both brackets; a key with one of them is an unknown key like any other, and
    // does not end the general section (the length after it is still read).
    {"general key with an opening bracket only",
     "[generale]\r\n[nota, 1\r\nlunghezza percorso, 1000\r\n[curve]\r\n[fine]\r\n",
     plain_train,
     {"P_linea.txt:2:1: warning: unknown key '[nota'; the entry is passed over with its values "
      "[code 201]"}},
    {"key with a closing bracket only",
     line_head + "nota], 5\r\n[fine]\r\n",
     plain_train,
     {"P_linea.txt:4:1: warning: unknown key 'nota]'; the entry is passed over with its values "
      "[code 201]"}},
    {"train key with a closing bracket only",
     plain_line,
     "[generale]\r\nnota], 5\r\n[fine]\r\n",
     {"P_T-.txt:2:1: warning: unknown key 'nota]'; the entry is passed over with its values "
      "[code 201]"}},
    {"general key among the entries",
     line_head + "sfondo uno, 2\r\n[fine]\r\n",
     plain_train,
     {"P_linea.txt:4:1: warning: 'sfondo uno' is a key of the general section before the first "
      "section header, not here; the entry is passed over with its values [code 201]"}},
    {"stray field",
     line_head + "pendenza,  750,   -4\r\n  5\r\n[fine]\r\n",
     plain_train,
     {"P_linea.txt:5:3: note: the value field \"5\" belongs to no entry and is passed over "
      "[code 202]"}},
    {"decimal comma",
     line_head + "pendenza,  750,   -4,5\r\n[fine]\r\n",
     plain_train,
     {"P_linea.txt:4:19: note: \"-4,5\" holds a decimal comma: the compile reads -4 as pendenza "
      "and passes over \"5\"; a decimal point is \".\", as in -4.5 [code 202]"}},
    {"speeds going backwards",
     plain_line,
     "[generale]\r\nvelocita, 500, 100\r\nvelocita, 300, 80\r\n[fine]\r\n",
     {"P_T-.txt:3:11: warning: speed limit at 300 m comes after the speed limit at 500 m (line "
      "2): positions go backwards; list the entries in order [code 203]"}},
    {"signals going backwards",
     plain_line,
     "[generale]\r\nsegnale, 600" + signal_values + "segnale, 400" + signal_values + "[fine]\r\n",
     {"P_T-.txt:3:10: warning: signal at 400 m comes after the signal at 600 m (line 2): "
      "positions go backwards; list the entries in order [code 203]"}},
    {"two gradients at one position",
     line_head + "pendenza, 600, -11\r\npendenza, 600, 0\r\n[fine]\r\n",
     plain_train,
     {"P_linea.txt:5:11: warning: gradient at 600 m repeats the position of the entry before "
      "it (line 4); the earlier value still takes one more cell [code 205]"}},
    {"beyond the route's end",
     plain_line,
     "[generale]\r\nsegnale, 1500" + signal_values + "[fine]\r\n",
     {"P_T-.txt:2:10: warning: signal at 1500 m lies beyond the route's end at 1000 m; the "
      "compile takes it without a word, in the 7000 m of cells after the end [code 204]"}},
    {"UTF-8 board text",
     line_head + "cartello_indicatore, 500, (Citt\xC3\xA0)\r\n[fine]\r\n",
     plain_train,
     {"P_linea.txt:4:32: warning: the board text looks like UTF-8 (\"\xC3\xA0\"); the simulator "
      "reads Windows-1252; save the file in that code page or give --input-encoding utf-8 "
      "[code 206]"}},
};

class ToolCheckWarnings : public ::testing::TestWithParam<warning_case> {};

TEST_P(ToolCheckWarnings, NameWhatTheCompilePassesOver) {
  const warning_case& k = GetParam();
  temp_dir dir;
  const check_result r = check(dir, k.line, k.train);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.heads, k.heads) << r.err;
  EXPECT_EQ(dir.count(), 2u);  // nothing written
  // --werror counts warnings, not notes.
  const bool note = k.heads[0].find(" note: ") != std::string::npos;
  EXPECT_EQ(check(dir, k.line, k.train, true).status, note ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(, ToolCheckWarnings, ::testing::ValuesIn(warning_cases),
                         test_support::name_from_what{});

TEST(ToolCheck, StatusesAsCompile) {
  temp_dir dir;
  EXPECT_EQ(check(dir, plain_line, plain_train).status, 0);
  EXPECT_EQ(check(dir, plain_line, plain_train).err, "scenario: 0 errors, 0 warnings\n");
  const check_result fault = check(dir, line_head + "pendenza, 10x, 1\r\n[fine]\r\n", plain_train);
  EXPECT_EQ(fault.status, 1);
  const check_result guard =
      check(dir, plain_line, "[generale]\r\nsegnale, 0, 2,3,1,1,0,2,2,1,1,0\r\n[fine]\r\n");
  EXPECT_EQ(guard.status, 3);
  EXPECT_EQ(dir.count(), 2u);
}

struct compiled {
  int status;
  std::string err;
  std::string sim, dat, linea;
};

compiled compile_with(const temp_dir& dir, const std::string& line, const std::string& train,
                      const std::vector<std::string>& flags) {
  dir.write("P_linea.txt", line);
  dir.write("P_T-.txt", train);
  const std::string out = dir.file("out");
  std::filesystem::remove_all(out);
  std::filesystem::create_directory(out);
  compile_options o;
  o.line_path = dir.file("P_linea.txt");
  o.train_path = dir.file("P_T-.txt");
  o.output_dir = out;
  for (const std::string& f : flags) {
    if (f == "--no-source") o.no_source = true;
    if (f == "--color=always") o.color = color_mode::always;
    if (f == "--input-encoding=utf-8") o.input_encoding = "utf-8";
  }
  std::ostringstream sink, err;
  const int status = run_compile(o, sink, err);
  return {status, err.str(), dir.read("out/P_T.sim"), dir.read("out/P_T.dat"),
          dir.read("out/P_linea.dat")};
}

struct data_pair {
  const char* what;
  std::string line, train;
};

std::vector<data_pair> pairs_with_diagnostics() {
  std::string roma_line, roma_train;
  for (const text_document& doc : built_in_documents(built_in_route, built_in_train)) {
    if (doc.file_name == "Roma_Pisa_linea.txt") roma_line = doc.bytes();
    if (doc.file_name == "Roma_Pisa_EXPR 368-.txt") roma_train = doc.bytes();
  }
  return {
      // A spacing warning, so that the options have something to format.
      {"spacing warning", plain_line,
       "[generale]\r\nsegnale, 1650" + signal_values + "segnale, 1700" + signal_values +
           "segnale, 1750" + signal_values +
           "rallentamento, 2000, 120, 500, 0, 0, 0\r\n[fine]\r\n"},
      {"built-in pair", roma_line, roma_train},
  };
}

class DiagnosticOptions : public ::testing::TestWithParam<data_pair> {};

TEST_P(DiagnosticOptions, NeverChangeACompiledByte) {
  const data_pair& p = GetParam();
  temp_dir dir;
  const compiled plain = compile_with(dir, p.line, p.train, {});
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_FALSE(plain.sim.empty());
  const compiled all = compile_with(dir, p.line, p.train,
                                    {"--no-source", "--color=always", "--input-encoding=utf-8"});
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.sim, plain.sim);
  EXPECT_EQ(all.dat, plain.dat);
  EXPECT_EQ(all.linea, plain.linea);
  EXPECT_EQ(all.err.empty(), plain.err.empty());
}

INSTANTIATE_TEST_SUITE_P(, DiagnosticOptions, ::testing::ValuesIn(pairs_with_diagnostics()),
                         test_support::name_from_what{});

TEST(ToolCheck, InputEncodingConvertsOrRefuses) {
  temp_dir dir;
  const std::string board = line_head + "cartello_indicatore, 500, Citt";
  const compiled cp1252 = compile_with(dir, board + "\xE0\r\n[fine]\r\n", plain_train, {});
  const compiled utf8 =
      compile_with(dir, board + "\xC3\xA0\r\n[fine]\r\n", plain_train, {"--input-encoding=utf-8"});
  ASSERT_EQ(utf8.status, 0) << utf8.err;
  EXPECT_EQ(utf8.sim, cp1252.sim);

  const compiled arrow = compile_with(dir, board + " \xE2\x86\x92\r\n[fine]\r\n", plain_train,
                                      {"--input-encoding=utf-8"});
  EXPECT_EQ(arrow.status, 2);
  EXPECT_EQ(arrow.err, "scenario: error: " + dir.file("P_linea.txt") +
                           ":4:32: character U+2192 has no Windows-1252 form, the code page of "
                           "the simulator; replace it\n");
  EXPECT_EQ(arrow.sim, "");
}

// Every code the compiler, the checks or the tool can give, and every exit status.
std::vector<std::string> explained_codes() {
  std::vector<std::string> codes;
  for (const code_description& d : code_descriptions()) codes.push_back(std::to_string(d.code));
  for (int status = 0; status <= 3; ++status) codes.push_back("exit-" + std::to_string(status));
  return codes;
}

TEST(ToolExplainTable, CoversTheCodesAndTheExitStatuses) {
  EXPECT_GT(explained_codes().size(), 40u);
}

class ToolExplain : public ::testing::TestWithParam<std::string> {};

// Each is explained, with both examples (a clean exit has nothing to correct).
TEST_P(ToolExplain, HasAnExplanationWithBothExamples) {
  const std::optional<explanation> e = find_explanation(GetParam());
  ASSERT_TRUE(e.has_value());
  EXPECT_FALSE(e->title.empty());
  EXPECT_FALSE(e->meaning.empty());
  if (GetParam() != "exit-0") {
    EXPECT_FALSE(e->wrong.empty());
    EXPECT_FALSE(e->right.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(, ToolExplain, ::testing::ValuesIn(explained_codes()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return test_support::case_name(
                               info.param.starts_with("exit") ? info.param : "code " + info.param);
                         });

}  // namespace
}  // namespace scenario
