// `scenario check`: the author warnings on small fixtures, its statuses, the built-in pair, and
// `--input-encoding`; and that no diagnostic option changes a compiled byte.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "content/documents.h"
#include "model/diagnostics.h"
#include "model/fault_codes.h"
#include "support/temp_dir.h"
#include "tool/compile_command.h"
#include "tool/explain_command.h"

namespace scenario {
namespace {

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

TEST(ToolCheck, WarnsAboutWhatTheCompilePassesOver) {
  const std::string signal = ", 2,3,1,1,0,2,2,1,1,0\r\n";
  struct warning_case {
    const char* what;
    std::string line, train;
    std::vector<std::string> heads;
  };
  const warning_case cases[] = {
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
       "[generale]\r\nsegnale, 600" + signal + "segnale, 400" + signal + "[fine]\r\n",
       {"P_T-.txt:3:10: warning: signal at 400 m comes after the signal at 600 m (line 2): "
        "positions go backwards; list the entries in order [code 203]"}},
      {"two gradients at one position",
       line_head + "pendenza, 600, -11\r\npendenza, 600, 0\r\n[fine]\r\n",
       plain_train,
       {"P_linea.txt:5:11: warning: gradient at 600 m repeats the position of the entry before "
        "it (line 4); the earlier value still takes one more cell [code 205]"}},
      {"beyond the route's end",
       plain_line,
       "[generale]\r\nsegnale, 1500" + signal + "[fine]\r\n",
       {"P_T-.txt:2:10: warning: signal at 1500 m lies beyond the route's end at 1000 m; the "
        "compile takes it without a word, in the 7000 m of cells after the end [code 204]"}},
      {"UTF-8 board text",
       line_head + "cartello_indicatore, 500, (Citt\xC3\xA0)\r\n[fine]\r\n",
       plain_train,
       {"P_linea.txt:4:32: warning: the board text looks like UTF-8 (\"\xC3\xA0\"); the simulator "
        "reads Windows-1252; save the file in that code page or give --input-encoding utf-8 "
        "[code 206]"}},
  };
  for (const warning_case& k : cases) {
    temp_dir dir;
    const check_result r = check(dir, k.line, k.train);
    EXPECT_EQ(r.status, 0) << k.what << r.err;
    EXPECT_EQ(r.heads, k.heads) << k.what << "\n" << r.err;
    EXPECT_EQ(dir.count(), 2u) << k.what;  // nothing written
    // --werror counts warnings, not notes.
    const bool note = k.heads[0].find(" note: ") != std::string::npos;
    EXPECT_EQ(check(dir, k.line, k.train, true).status, note ? 0 : 1) << k.what;
  }
}

TEST(ToolCheck, StatusesAsCompile) {
  temp_dir dir;
  EXPECT_EQ(check(dir, plain_line, plain_train).status, 0);
  EXPECT_EQ(check(dir, plain_line, plain_train).err, "");
  const check_result fault = check(dir, line_head + "pendenza, 10x, 1\r\n[fine]\r\n", plain_train);
  EXPECT_EQ(fault.status, 1);
  const check_result guard =
      check(dir, plain_line, "[generale]\r\nsegnale, 0, 2,3,1,1,0,2,2,1,1,0\r\n[fine]\r\n");
  EXPECT_EQ(guard.status, 3);
  EXPECT_EQ(dir.count(), 2u);
}

// The built-in pair holds two things worth telling its author, both notes: the gradient "-4,5" at
// 1250 m, whose "5" no entry reads, and a station name longer than the timetable card's column.
TEST(ToolCheck, TheBuiltInPairGetsOnlyItsTwoNotes) {
  temp_dir dir;
  std::string line, train;
  for (const text_document& doc : built_in_documents(built_in_route, built_in_train)) {
    if (doc.file_name == "Roma_Pisa_linea.txt") line = doc.bytes();
    if (doc.file_name == "Roma_Pisa_EXPR 368-.txt") train = doc.bytes();
  }
  ASSERT_FALSE(line.empty());
  ASSERT_FALSE(train.empty());
  const check_result r = check(dir, line, train, true);
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.heads.size(), 2u) << r.err;
  EXPECT_EQ(r.heads[0].substr(0, r.heads[0].find(" holds")), "P_linea.txt:188:20: note: \"-4,5\"");
  EXPECT_EQ(r.heads[1].substr(0, r.heads[1].find(" has")),
            "P_T-.txt:61:73: note: the station name \"Torre in Pietra-Palidoro\"");
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

TEST(ToolCheck, DiagnosticOptionsNeverChangeACompiledByte) {
  temp_dir dir;
  std::string roma_line, roma_train;
  for (const text_document& doc : built_in_documents(built_in_route, built_in_train)) {
    if (doc.file_name == "Roma_Pisa_linea.txt") roma_line = doc.bytes();
    if (doc.file_name == "Roma_Pisa_EXPR 368-.txt") roma_train = doc.bytes();
  }
  // A spacing warning, so that the options have something to format; and the built-in pair.
  const std::string warned =
      "[generale]\r\nsegnale, 1650, 2,3,1,1,0,2,2,1,1,0\r\nsegnale, 1700, 2,3,1,1,0,2,2,1,1,0\r\n"
      "segnale, 1750, 2,3,1,1,0,2,2,1,1,0\r\nrallentamento, 2000, 120, 500, 0, 0, 0\r\n[fine]\r\n";
  const std::pair<std::string, std::string> pairs[] = {{plain_line, warned},
                                                       {roma_line, roma_train}};
  for (const auto& [line, train] : pairs) {
    const compiled plain = compile_with(dir, line, train, {});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_FALSE(plain.sim.empty());
    const compiled all =
        compile_with(dir, line, train, {"--no-source", "--color=always", "--input-encoding=utf-8"});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.sim, plain.sim);
    EXPECT_EQ(all.dat, plain.dat);
    EXPECT_EQ(all.linea, plain.linea);
    EXPECT_EQ(all.err.empty(), plain.err.empty());
  }
}

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

// Every code the compiler, the checks or the tool can give is explained, with both examples.
TEST(ToolExplain, EveryCodeHasAnExplanation) {
  std::vector<std::string> codes;
  for (const code_description& d : code_descriptions()) codes.push_back(std::to_string(d.code));
  for (int status = 0; status <= 3; ++status) codes.push_back("exit-" + std::to_string(status));
  EXPECT_GT(codes.size(), 40u);
  for (const std::string& code : codes) {
    const std::optional<explanation> e = find_explanation(code);
    ASSERT_TRUE(e.has_value()) << code;
    EXPECT_FALSE(e->title.empty()) << code;
    EXPECT_FALSE(e->meaning.empty()) << code;
    if (code.rfind("exit-0", 0) != 0) {
      EXPECT_FALSE(e->wrong.empty()) << code;
      EXPECT_FALSE(e->right.empty()) << code;
    }
  }
  std::ostringstream out, err;
  EXPECT_EQ(run_explain("16", out, err), 0);
  EXPECT_EQ(out.str().rfind("code 16: signal on an occupied cell\n", 0), 0u) << out.str();
  EXPECT_NE(out.str().find("Wrong:\n    segnale, 500,"), std::string::npos);
  EXPECT_NE(out.str().find("Corrected:\n    segnale, 500,"), std::string::npos);
  EXPECT_EQ(run_explain("14", out, err), 2);
}

}  // namespace
}  // namespace scenario
