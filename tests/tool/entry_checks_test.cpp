// The entry checks of `scenario check`: counts, decimal commas, ranges and forms, each on the
// entry's own line, on small texts; the built-in files fit the table; and what check reports when
// the compile refuses entries.
#include "tool/entry_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "content/documents.h"
#include "model/fault_codes.h"
#include "reader/read_data.h"
#include "tool/author_checks.h"

namespace scenario {
namespace {

const std::string line_head = "[generale]\r\nlunghezza percorso, 20000\r\n[curve]\r\n";

// "LINE:COLUMN severity [code] message" for each finding.
std::vector<std::string> findings(source_file file, const std::string& text) {
  std::vector<std::string> out;
  for (const diagnostic& d : check_entries(file, text).diagnostics)
    out.push_back(std::to_string(d.line) + ":" + std::to_string(d.column) + " " +
                  severity_name(d.sev) + " [" + std::to_string(d.code) + "] " + d.message);
  return out;
}

TEST(EntryChecks, EachLineAgainstItsKey) {
  struct entry_case {
    const char* what;
    source_file file;
    std::string text;
    std::vector<std::string> found;
  };
  const source_file line = source_file::line_description;
  const source_file train = source_file::train_scenario;
  const entry_case cases[] = {
      {"blank-separated numbers, empty fields and a trailing comma count as written",
       train,
       "[generale]\r\norologio, 23   15   30 \r\nsabbia, ,\r\n",
       {}},
      {"values too many",
       line,
       line_head + "pendenza, 100, 2, 3, 4\r\n",
       {"4:19 warning [208] pendenza takes 2 values; line 4 has 4: the compile passes over \"3\" "
        "and \"4\""}},
      {"values missing at the end of the file",
       line,
       line_head + "montagna, 100",
       {"4:14 warning [208] montagna takes 3 values; line 4 has 1, and the file ends"}},
      {"values taken from two lines on",
       train,
       "[generale]\r\naderenza,\r\n\r\nvelocita, 0, 30\r\n",
       {"2:10 warning [208] aderenza takes 2 values; line 2 has 1: the compile takes aderenza "
        "from line 4 (\"velocita\"), and reads the rest of that line out of step"}},
      {"commas without blanks all along: one value too many, no decimal comma",
       train,
       "[generale]\r\nsegnale,1000,2,3,1,1,0,2,2,1,1,0,5\r\n",
       {"2:34 warning [208] segnale takes 11 values; line 2 has 12: the compile passes over "
        "\"5\""}},
      {"a decimal comma in the first of three values",
       line,
       line_head + "montagna, 8750,5, 11150, 12\r\n",
       {"4:11 warning [208] \"8750,5\" holds a decimal comma: the compile reads 8750 as inizio, 5 "
        "as fine and 11150 as tipo and passes over \"12\"; a decimal point is \".\", as in "
        "8750.5"}},
      {"a speed that the compile fails on at the next limit",
       train,
       "[generale]\r\nvelocita, 0, 2000\r\n",
       {"2:14 warning [209] velocita 2000 km/h does not fit cell `velocita_limite` (Byte) of "
        "every cell it holds for, in units of 5 km/h: the compile takes -2 to 1277 and fails at "
        "a later entry (code 25)"}},
      {"a gradient the cell cannot hold, and one outside what lines have",
       line,
       line_head + "pendenza, 0, 200\r\npendenza, 100, 80\r\n",
       {"4:14 warning [209] pendenza 200 per mille does not fit cell `pendenza` (Byte) of every "
        "cell it holds for, as pendenza + 100, which holds -100 to 155: the compile stores "
        "another number",
        "5:16 warning [209] pendenza 80 per mille is outside -60 to 60, the range a real scenario "
        "uses"}},
      {"a position before the start",
       train,
       "[generale]\r\nabbattimento, -500, 270\r\n",
       {"2:15 warning [209] abbattimento at -500 m lies before the start of the route"}},
      {"a value that does not fit its width is the compile's to tell",
       train,
       "[generale]\r\nsabbia, 40000\r\nstazione, 0, 300, 500, 0,0,0, 0,0,0, 0,0,0, 0, 8,0,0, A\r\n",
       {}},
      {"general keys in exact case, in the general section only",
       line,
       "[generale]\r\nProgressiva chilometrica uno, 1, 2\r\nsfondo uno, 1, 2\r\n[curve]\r\n"
       "sfondo uno, 1, 2\r\n",
       {"3:16 warning [208] sfondo uno takes 1 value; line 3 has 2: the compile passes over "
        "\"2\""}},
      {"nothing before the general section, and no header or separator, is an entry",
       train,
       "segnale, 1\r\n[generale]\r\n[segnali]\r\n---, 1, 2\r\n",
       {}},
      {"a board text in one bracket, and a name that is a key",
       line,
       line_head + "cartello_indicatore, 500, (Dev.I.)\r\ncartello_indicatore, 700, Cippo\r\n"
                   "cartello_indicatore, 900, Pendenza\r\n",
       {"5:27 note [210] the board text \"Cippo\" is not one or two halves in brackets, each of "
        "at most 10 characters, as \"(  Cippo  )(Km 28+000)\" is",
        "6:27 note [210] the board text \"Pendenza\" is the key \"pendenza\", not a name; a value "
        "may be missing or out of place"}},
  };
  for (const entry_case& k : cases) EXPECT_EQ(findings(k.file, k.text), k.found) << k.what;
}

TEST(EntryChecks, OutOfStepLinesAreThoseTheMissingValuesCameFrom) {
  const entry_findings found =
      check_entries(source_file::train_scenario,
                    "[generale]\r\nsegnale, 1000, 2\r\n\r\nsegnale, 2000, 2, 3, 1, 1, 0, 2, 2, 1, "
                    "1, 0\r\nsegnale, 3000, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0\r\n");
  const std::set<std::pair<source_file, int>> lines{{source_file::train_scenario, 4}};
  EXPECT_EQ(found.out_of_step, lines);
}

std::string built_in(const line_table& table) {
  return text_document{"", &table}.bytes();
}

TEST(EntryChecks, TheBuiltInFilesFitTheTable) {
  // Only the two things that are true of them: the gradient with a decimal comma and the one
  // station name longer than the timetable card's column.
  EXPECT_EQ(
      findings(source_file::line_description, built_in(dati_linea())),
      std::vector<std::string>{"188:20 note [202] \"-4,5\" holds a decimal comma: the compile "
                               "reads -4 as pendenza and passes over \"5\"; a decimal point "
                               "is \".\", as in -4.5"});
  EXPECT_EQ(findings(source_file::train_scenario, built_in(dati_treno())),
            std::vector<std::string>{
                "61:73 note [210] the station name \"Torre in Pietra-Palidoro\" has 24 "
                "characters; the timetable card's name column holds 22"});
}

// The compile's diagnostics and the author checks' together, as check prints them.
std::vector<std::string> report(const std::string& line, const std::string& train) {
  compilation c;
  c.with_track_plan = true;
  c.read_on_after_refusal = true;
  read_data_files(c, {line, train});
  std::vector<std::string> out;
  for (const diagnostic& d : check_report(c, line, train, true))
    out.push_back(std::to_string(static_cast<int>(d.file)) + ":" + std::to_string(d.line) + " " +
                  severity_name(d.sev) + " " + std::to_string(d.code));
  return out;
}

TEST(CheckReport, FileOrderNoContradictionsAndOneNoteAfterTheFirstRefusal) {
  const std::string line = line_head + "pendenza, 0, 0, 1\r\n[fine]\r\n";
  // A station past the route's cells: the compile's 15, and no 204 saying it takes it silently.
  const std::string train =
      "[generale]\r\nstazione, 26800, 8, 500, 0,0,0, 0,0,0, 0,0,0, 0, 8,0,0, Fine\r\n"
      "segnale, 1000, 7, 3, 1, 1, 0, 2, 2, 1, 1, 0\r\n[fine]\r\n";
  EXPECT_EQ(report(line, train), (std::vector<std::string>{"1:4 warning 208", "2:2 error 15",
                                                           "0:0 note 15", "2:3 warning 209"}));
  // The note is left out when nothing follows the refusal, or nothing was read after it.
  EXPECT_EQ(report(line_head + "[fine]\r\n", "[generale]\r\nsabbia, x\r\n[fine]\r\n"),
            std::vector<std::string>{"2:2 error 25"});
  EXPECT_EQ(report("[generale]\r\nlunghezza percorso, 2000000\r\n[curve]\r\n[fine]\r\n",
                   "[generale]\r\norologio, 25, 0, 0\r\n[fine]\r\n"),
            (std::vector<std::string>{"1:2 error 1", "2:2 warning 209"}));
}

}  // namespace
}  // namespace scenario
