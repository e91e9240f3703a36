#include "tool/explain_command.h"

#include <algorithm>
#include <sstream>

#include "compiler/exit_status.h"
#include "model/fault_codes.h"
#include "reader/entry_scan.h"
#include "reader/file_format.h"
#include "tool/format_reference.h"
#include "tool/suggest.h"
#include "tool/tool_error.h"

namespace scenario {

namespace {

// What a code means; its title comes from the table of codes.
struct code_text {
  std::int32_t code;
  std::string_view meaning;
  std::string_view causes;
  std::string_view wrong;
  std::string_view right;
};

// What an exit status of the tool means.
struct status_text {
  int status;
  std::string_view title;
  std::string_view meaning;
  std::string_view causes;
  std::string_view wrong;
  std::string_view right;
};

// clang-format off
const std::vector<code_text> codes = {
  {fault_code::route_length,
   "The value of \"lunghezza percorso\" is below 0 or above 1000000 m. The route cells cannot be sized.",
   "A length typed with a digit too many, or given in centimetres.",
   "lunghezza percorso, 1200000",
   "lunghezza percorso, 120000"},
  {fault_code::progressive_grid,
   "After ordering (and after the 100 that a flag of 1 adds), the position or the value of a kilometre progressive is not a multiple of 50. The code is set at the end of the train reading.",
   "A progressive position copied from a timetable to the metre.",
   "progressiva chilometrica uno, 31125, 3050, 0",
   "progressiva chilometrica uno, 31100, 3050, 0"},
  {fault_code::repetition_start_grid,
   "The first value of \"ripetizione segnali\" must be a multiple of 50 m.",
   "A position typed to the metre.",
   "ripetizione segnali 9 codici, 125, 300",
   "ripetizione segnali 9 codici, 150, 300"},
  {fault_code::repetition_end_grid,
   "The second value of \"ripetizione segnali\" must be a multiple of 50 m.",
   "A position typed to the metre.",
   "ripetizione segnali 9 codici, 100, 310",
   "ripetizione segnali 9 codici, 100, 300"},
  {fault_code::repetition_codes,
   "The key field of \"ripetizione segnali\" must hold the digit 4 or 9: the number of codes of the signalling.",
   "The digit left out of the key, or written as a word.",
   "ripetizione segnali, 100, 300",
   "ripetizione segnali 9 codici, 100, 300"},
  {fault_code::text_board_taken,
   "A text board goes into the cell of its position (position / 50 + 1); that cell already holds an object other than a scenery mark.",
   "Two boards at the same place, or a board on the cell of a speed-limit board.",
   "cartello_indicatore, 500, Roma\ncartello_indicatore, 500, Pisa",
   "cartello_indicatore, 500, Roma\ncartello_indicatore, 550, Pisa"},
  {fault_code::cut_point_taken,
   "A code cut point (\"abbattimento\") goes into cell nearest(position / 50); that cell already holds an object.",
   "Two cut points at the same place, or one on a restriction's cell.",
   "abbattimento, 2000, 180\nabbattimento, 2000, 150",
   "abbattimento, 2000, 180\nabbattimento, 2100, 150"},
  {fault_code::station_position_grid,
   "A station's position must be a multiple of 50 m.",
   "A position typed to the metre.",
   "stazione, 1025, 8, 500, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, Roma",
   "stazione, 1000, 8, 500, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, Roma"},
  {fault_code::station_length_grid,
   "The third value of a station, its length, must be a multiple of 100 m.",
   "A platform length copied to the metre.",
   "stazione, 1000, 8, 550, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, Roma",
   "stazione, 1000, 8, 500, 1,0,0, 3,1,0, 2,1,1, 1, 23,15,30, Roma"},
  {fault_code::too_many_stations,
   "Station records grow from record 1 up, text-board texts from record 80 down; a station would take a record that a text board holds.",
   "A long line with many stops and many text boards.",
   "(78 stations and 2 text boards)",
   "(76 stations and 2 text boards, or fewer boards)"},
  {fault_code::marker_before_warning,
   "The spacing pass puts a code cut marker in one of the two cells in front of every signal that stands up to 1000 m before a restriction warning board; both cells are taken and neither is a code cut point. Only a warning: the files are still written.",
   "Objects packed right in front of a signal near a restriction.",
   "segnale, 5000, ...\ncartello_indicatore, 4950, A\nabbattimento, 4925, 0",
   "segnale, 5000, ...\ncartello_indicatore, 4800, A"},
  {fault_code::marker_before_start,
   "The spacing pass puts a marker 250-350 m, 550-650 m and 900-1000 m before each restriction start; all three cells of one window are taken. Only a warning.",
   "Signals or boards filling the cells at those distances.",
   "rallentamento, 10000, 60, 1000, 0, 0, 0   (with cells 9650 to 9750 m all taken)",
   "move one of the objects at 9650 to 9750 m"},
  {fault_code::marker_inside_or_after,
   "Inside a restriction slower than 110 the pass puts a marker every 400 m, and one in front of the first signal within 600 m after its end; the cells around the place were all taken. Only a warning.",
   "Signals every 50 m inside the restriction, or right after its end.",
   "rallentamento, 10000, 60, 1000, 0, 0, 0\nsegnale, 10350, ...\nsegnale, 10400, ...\nsegnale, 10450, ...",
   "rallentamento, 10000, 60, 1000, 0, 0, 0\nsegnale, 10600, ..."},
  {fault_code::outside_route,
   "An entry's position leaves too little route after it (100 m for most entries, 800 m for a station), or lies before the start. The line description stops reading its entries at it; the train scenario ends its reading there.",
   "A position in kilometres where metres are wanted, or an entry copied from a longer route.",
   "lunghezza percorso, 10000\n...\npendenza, 19000, 3",
   "lunghezza percorso, 20000\n...\npendenza, 19000, 3"},
  {fault_code::signal_taken,
   "A signal goes into the cell of its position (position / 50 + 1); that cell already holds an object other than a scenery mark. The message names the object and the line that put it there.",
   "Two signals less than 50 m apart, or a signal where a restriction or board stands.",
   "segnale, 500, 2,3,1,1,0,2,2,1,1,0\nsegnale, 510, 2,3,1,1,0,2,2,1,1,0",
   "segnale, 500, 2,3,1,1,0,2,2,1,1,0\nsegnale, 550, 2,3,1,1,0,2,2,1,1,0"},
  {fault_code::warning_taken,
   "A restriction starting beyond 1500 m gets a warning board 1200 m before its start; that cell is taken.",
   "A signal or board exactly 1200 m before the restriction.",
   "segnale, 3800, ...\nrallentamento, 5000, 60, 500, 0, 0, 0",
   "segnale, 3900, ...\nrallentamento, 5000, 60, 500, 0, 0, 0"},
  {fault_code::restriction_start_taken,
   "The start cell of a restriction (position / 50 + 1) is taken.",
   "A signal at the restriction's start.",
   "segnale, 5000, ...\nrallentamento, 5000, 60, 500, 0, 0, 0",
   "segnale, 4900, ...\nrallentamento, 5000, 60, 500, 0, 0, 0"},
  {fault_code::restriction_end_taken,
   "The end cell of a restriction (start + length) is taken, or lies past the last cell.",
   "A signal at the restriction's end, or a length that runs off the route.",
   "rallentamento, 5000, 60, 500, 0, 0, 0\nsegnale, 5500, ...",
   "rallentamento, 5000, 60, 500, 0, 0, 0\nsegnale, 5600, ..."},
  {fault_code::approach_taken,
   "With a nonzero fifth value a restriction gets four approach cells before its warning board; one of them is taken. Its end, start and warning cells stay written.",
   "A signal just before the warning board.",
   "segnale, 3700, ...\nrallentamento, 5000, 60, 500, 0, 1, 0",
   "segnale, 3500, ...\nrallentamento, 5000, 60, 500, 0, 1, 0"},
  {fault_code::speed_board_taken,
   "A speed-limit board goes into the cell of its position (position / 50 + 1); that cell already holds an object other than a scenery mark.",
   "Two boards at the same place, or a board on a text board's cell.",
   "indicatori_vmax, 7300, 75,80,85,0, 75,80,85,0\nindicatori_vmax, 7300, 90,95,100,0, 90,95,100,0",
   "indicatori_vmax, 7300, 75,80,85,0, 75,80,85,0\nindicatori_vmax, 7400, 90,95,100,0, 90,95,100,0"},
  {fault_code::stations_too_close,
   "A station's area must start at least 350 m after the previous station's area ends.",
   "Two stops close together, or a long platform.",
   "stazione, 6000, 4, 500, ...\nstazione, 6700, 4, 500, ...",
   "stazione, 6000, 4, 500, ...\nstazione, 7200, 4, 500, ..."},
  {fault_code::station_end_too_early,
   "A station's end cell (end of its area / 50 - 1) must be above cell 1; its area ends before 150 m.",
   "A station near the start of the route with a kind that ends its area early.",
   "stazione, 0, 4, 200, ...",
   "stazione, 0, 8, 500, ..."},
  {fault_code::unreadable_entry,
   "A field is not a number where one is wanted, a value does not fit its field (Byte 0-255, Integer 16 bits, Long 32 bits), or the file ends in the middle of an entry.",
   "A word where a number goes, a missing comma, a value such as a speed code too large.",
   "pendenza, 10x, 3",
   "pendenza, 100, 3"},
  {fault_code::no_line_description,
   "The line description file does not exist.",
   "A misspelt path, or the file not yet exported.",
   "scenario compile Roma_Pisa_line.txt ...",
   "scenario compile Roma_Pisa_linea.txt ..."},
  {fault_code::no_general_section,
   "No field of the line description holds \"[generale]\"; nothing of the file is read.",
   "An empty file, or the header misspelt.",
   "[general]\nlunghezza percorso, 10000",
   "[generale]\nlunghezza percorso, 10000"},
  {fault_code::curve_refused,
   "A curve key must hold a class digit 1 to 6, and the track plan may not run past its last point (the route plus 7000 m) or metre 1000000. The message says which of the two happened.",
   "A class 7, or a curve whose length runs past the end.",
   "curvas7, 1000, 300",
   "curvas6, 1000, 300"},
  {fault_code::no_route_length,
   "The general section ended without \"lunghezza percorso\", so the route has no cells.",
   "The key misspelt, or placed after the first section header.",
   "[generale]\n[curve]\nlunghezza percorso, 10000",
   "[generale]\nlunghezza percorso, 10000\n[curve]"},
  {fault_code::too_many_spans,
   "At most 80 mountain spans are kept.",
   "Spans split into many short pieces.",
   "(81 montagna entries)",
   "(neighbouring spans joined into one)"},
  {fault_code::too_many_text_boards,
   "The general records hold at most 81 board texts.",
   "A board for every landmark.",
   "(82 cartello_indicatore entries)",
   "(81 or fewer)"},
  {fault_code::scenario_marker_taken,
   "Cell 1 (metres 50 to 99) and record 85 carry the scenario's stamp; something already set the first value there. Nothing is written. The message names the object and the entry or spacing step that put it there.",
   "A signal, board or cut point within the first 75 m, or a marker the spacing pass put there.",
   "segnale, 0, 2,3,1,1,0,2,2,1,1,0",
   "segnale, 100, 2,3,1,1,0,2,2,1,1,0"},
  {fault_code::identity_code_taken,
   "The second value of cell 1 or the time of record 85 is already set where the identity code goes. Nothing is written.",
   "An object in cell 1 with a nonzero second value, such as a signal with a second aspect.",
   "segnale, 0, 2,3,1,1,0,2,2,1,1,0",
   "segnale, 100, 2,3,1,1,0,2,2,1,1,0"},
  {fault_code::unknown_key,
   "A key field matches no key of its file, so the entry and its values are passed over without a word by the compiler. `check` suggests the nearest known key.",
   "A typo in the key.",
   "pendnza, 5000, -3",
   "pendenza, 5000, -3"},
  {fault_code::stray_value,
   "A value field belongs to no entry: the entry before it took all its values, and this one is read as a key and passed over. A decimal comma in an entry's last value gives such a field: its whole part is read, the digits after the comma are passed over.",
   "A decimal comma, or a line of values without a key.",
   "pendenza, 1250, -4,5",
   "pendenza, 1250, -4.5"},
  {fault_code::backwards,
   "Within one list (gradients, speed limits, adhesion, signals) an entry's position is smaller than the one before it. The cursor lists fill cells from one entry to the next, so an entry out of order changes the cells after it.",
   "An entry inserted in the wrong place.",
   "velocita, 5000, 120\nvelocita, 3000, 100",
   "velocita, 3000, 100\nvelocita, 5000, 120"},
  {fault_code::beyond_end,
   "The entry's position lies past \"lunghezza percorso\". The compiler accepts it in the 7000 m of cells after the end.",
   "An entry copied from a longer route, or a route length too short.",
   "lunghezza percorso, 10000\n...\nsegnale, 12000, ...",
   "lunghezza percorso, 12500\n...\nsegnale, 12000, ..."},
  {fault_code::same_position,
   "Two entries of a cursor list (gradients, speed limits, adhesion) share a position; the earlier one still takes one more cell.",
   "A duplicated line, or a typo in one position.",
   "pendenza, 600, -11\npendenza, 600, 0",
   "pendenza, 600, -11\npendenza, 1200, 0"},
  {fault_code::looks_like_utf8,
   "The simulator reads the data files as Windows-1252; a UTF-8 character there shows as two or three odd characters. Save the file as Windows-1252, or give --input-encoding utf-8 to convert it. A UTF-8 byte order mark (the bytes EF BB BF at the start of a file, invisible in most editors) is told as such: the compile passes over it with the fields before \"[generale]\", and --input-encoding utf-8 drops it.",
   "An editor that saves UTF-8, as editors on Windows do by default, often with a byte order mark.",
   "cartello_indicatore, 500, Citt\\xC3\\xA0 (UTF-8)",
   "cartello_indicatore, 500, Citt\\xE0 (Windows-1252)"},
  {fault_code::not_windows_1252,
   "With --input-encoding utf-8 the files are converted to Windows-1252; this character has no form there (or the bytes are not UTF-8). The tool exits with status 2. In an editor, the language server (scenario lsp) marks the character as an error and checks the rest with \"?\" in its place.",
   "A typographic character outside Western European text.",
   "cartello_indicatore, 500, \\u2192 Pisa",
   "cartello_indicatore, 500, -> Pisa"},
  {fault_code::value_count,
   "The entry's line holds fewer or more values than its key takes (scenario explain KEY gives its form). The compile reads the file as one stream of fields: a missing value is taken from the next line, whose entry is then read out of step; a value too many is read as a key and passed over. A comma inside a number that shifts the values after it is told here too.",
   "A value left out or typed twice, a name with a comma in it, a decimal comma.",
   "segnale, 2250, 2, 4, 1, 1, 1, 0, 0, 0,0,0, 140",
   "segnale, 2250, 2, 4, 1, 1, 0, 0, 0,0,0, 140"},
  {fault_code::out_of_range,
   "A value lies outside the range a real scenario uses (a clock of 25 hours, a signal head of kind 7, a position before the start), or outside what its field in the compiled files holds, so that the compile stores another number or fails at a later entry. scenario explain KEY gives each value's ranges. Only a warning: the compile takes it as it stands.",
   "A typo, hours and minutes swapped, a speed in the wrong unit.",
   "orologio, 25, 75, 30",
   "orologio, 23, 15, 30"},
  {fault_code::text_form,
   "A name or text is not in the form the built-in files use: a station name longer than the timetable card's 22 characters, a board text that is not one or two halves in brackets of at most 10 characters each, or a name that is a key of the file. Only a note.",
   "A long official name, a board written as one line, a name left out so that the next key took its place.",
   "cartello_indicatore, 27950, Cippo chilometrico 28",
   "cartello_indicatore, 27950, (  Cippo  )(Km 28+000)"},
};

const std::vector<status_text> statuses = {
  {0, "success",
   "The files were compiled (and, for compile, written); check found nothing that --werror counts.",
   "", "", ""},
  {1, "a fault in the data",
   "The reader refused an entry (a numbered code), or the reading stopped before the cells were sized; with check --werror, a warning. compile writes nothing unless --force.",
   "Any of the codes 1 to 106.",
   "scenario compile bad_linea.txt bad_T-.txt; echo $?   # 1",
   "fix the entry the first diagnostic points at"},
  {2, "a command line or file that cannot be used",
   "An unknown option, a missing file, a name the file names do not tell, or a character that cannot be converted.",
   "A misspelt option or path.",
   "scenario compile --outptu out a_linea.txt a_T-.txt",
   "scenario compile --output out a_linea.txt a_T-.txt"},
  {3, "a guard check failed",
   "Code 1250 or 1251: cell 1 or the route record was taken before the stamp; nothing was written.",
   "An object in the first 75 m of the route.",
   "segnale, 0, ...",
   "segnale, 100, ..."},
};
// clang-format on

// Each line of `text` indented by four spaces: a block of example text in either form.
void print_indented(std::ostream& out, std::string_view text) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    out << "    " << text.substr(start, end - start) << '\n';
    start = end + 1;
  }
}

void print_block(std::ostream& out, std::string_view heading, std::string_view text) {
  out << heading << ":\n";
  print_indented(out, text);
}

}  // namespace

std::vector<explanation> explanations() {
  std::vector<explanation> all;
  for (const code_text& t : codes) {
    const code_description* d = find_code(t.code);
    all.push_back({std::to_string(t.code), d ? d->title : std::string_view(), t.meaning, t.causes,
                   t.wrong, t.right});
  }
  for (const status_text& t : statuses)
    all.push_back(
        {"exit-" + std::to_string(t.status), t.title, t.meaning, t.causes, t.wrong, t.right});
  return all;
}

std::string explanation_text(const explanation& e) {
  std::ostringstream out;
  const bool status = e.code.rfind("exit-", 0) == 0;
  out << (status ? "exit status " + e.code.substr(5) : "code " + e.code) << ": " << e.title
      << "\n\n";
  out << e.meaning << "\n\n";
  if (!e.causes.empty()) print_block(out, "Common causes", e.causes);
  if (!e.wrong.empty()) print_block(out, "Wrong", e.wrong);
  if (!e.right.empty()) print_block(out, "Corrected", e.right);
  return out.str();
}

std::string explanations_markdown() {
  std::ostringstream out;
  out << "# The codes of the diagnostics and the exit statuses\n\n"
         "<!-- Generated from the explanations of src/tool/explain_command.cpp; a test fails when "
         "this file is out of date; SCENARIO_UPDATE_GOLDEN=1 build-test/bin/tool_tests "
         "--gtest_filter='Explanations*' rewrites it. -->\n\n"
         "Every code a diagnostic of `scenario compile`, `scenario check` or the language server "
         "carries, and every exit status of the tool: `scenario explain CODE` prints the same for "
         "one.\n";
  for (const explanation& e : explanations()) {
    const bool status = e.code.rfind("exit-", 0) == 0;
    out << "\n<a id=\"" << (status ? e.code : "code-" + e.code) << "\"></a>\n\n## "
        << (status ? "Exit status " + e.code.substr(5) : "Code " + e.code) << ": " << e.title
        << "\n\n"
        << e.meaning << "\n";
    if (!e.causes.empty()) out << "\nCommon causes: " << e.causes << "\n";
    for (const auto& [heading, text] :
         {std::pair{"Wrong", e.wrong}, std::pair{"Corrected", e.right}}) {
      if (text.empty()) continue;
      out << "\n" << heading << ":\n\n";
      print_indented(out, text);
    }
  }
  return out.str();
}

std::optional<explanation> find_explanation(std::string_view code) {
  for (explanation& e : explanations())
    if (e.code == code) return std::move(e);
  return std::nullopt;
}

namespace {

bool is_code(std::string_view topic) {
  if (topic.rfind("exit-", 0) == 0) return true;
  return !topic.empty() &&
         std::all_of(topic.begin(), topic.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

int explain_code(const std::string& code, std::ostream& out, std::ostream& err) {
  const std::optional<explanation> e = find_explanation(code);
  if (!e) {
    print_error(err, "no code \"" + code +
                         "\"; codes are the numbers in brackets of a diagnostic, and exit-0 to "
                         "exit-3 the exit statuses");
    return as_int(exit_status::usage_or_file_error);
  }
  out << explanation_text(*e);
  return as_int(exit_status::ok);
}

// The keys a word names: those whose rule it meets, as the reader would take it for a key field;
// else those whose name holds it ("sfondo" names the three backgrounds).
std::vector<const key_format*> keys_named(std::string_view word) {
  std::vector<const key_format*> found;
  for (const key_format& k : all_keys())
    if (key_matches(k, word)) found.push_back(&k);
  if (!found.empty()) return found;
  const std::string folded = lower(word);
  for (const key_format& k : all_keys())
    if (contains(k.name, folded)) found.push_back(&k);
  return found;
}

// Every word `explain` knows besides codes: the keys as authors write them, and the headers.
std::vector<std::string> topics() {
  std::vector<std::string> names;
  for (const key_format& k : all_keys())
    for (std::string_view spelling : spellings(k)) names.emplace_back(spelling);
  for (const file_format& f : file_formats())
    for (const section_format& s : f.sections) names.emplace_back(s.header);
  return names;
}

int unknown_topic(const std::string& topic, std::ostream& err) {
  std::string message = "no key or section \"" + topic + "\"";
  if (std::optional<std::string> near = closest_name(lower(topic), topics()))
    message += " (did you mean \"" + *near + "\"?)";
  print_error(err, message +
                       "; explain takes a code (16, exit-2), a key (segnale) or a section "
                       "([segnali]); docs/format.md lists them all");
  return as_int(exit_status::usage_or_file_error);
}

// Several keys or sections, one after the other.
template <class T, class Print>
int print_all(const std::vector<const T*>& items, std::ostream& out, Print print) {
  for (std::size_t i = 0; i < items.size(); ++i) out << (i > 0 ? "\n" : "") << print(*items[i]);
  return as_int(exit_status::ok);
}

}  // namespace

int run_explain(const std::string& topic, std::ostream& out, std::ostream& err) {
  if (is_code(topic)) return explain_code(topic, out, err);
  if (!topic.empty() && topic.front() == '[') {
    const std::vector<const section_format*> sections = find_sections(topic);
    if (sections.empty()) return unknown_topic(topic, err);
    return print_all(sections, out, section_reference);
  }
  const std::vector<const key_format*> keys = keys_named(topic);
  if (keys.empty()) return unknown_topic(topic, err);
  return print_all(keys, out, key_reference);
}

}  // namespace scenario
