#include "content/documents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;
using lines = std::vector<std::string>;

// The lines of a document as its file holds them: every line, the last included, closed by CR LF.
lines written_lines(const line_table& table) {
  const std::string bytes = text_document{"", &table}.bytes();
  lines out;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line not closed by CR LF";
      break;
    }
    out.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return out;
}

// The widths of the cells of a boxed row " |a|b|...|": what lies between consecutive "|".
std::vector<std::size_t> cell_widths(std::string_view row) {
  std::vector<std::size_t> widths;
  std::size_t bar = row.find('|');
  while (bar != std::string_view::npos) {
    const std::size_t next = row.find('|', bar + 1);
    if (next == std::string_view::npos) break;
    widths.push_back(next - bar - 1);
    bar = next;
  }
  return widths;
}

// Line n of a document, counted from 1 as an editor shows it.
const std::string& line(const lines& doc, std::size_t n) {
  return doc.at(n - 1);
}

// ---- all documents ----

TEST(BuiltInDocuments, WrittenInStartUpOrderUnderTheirNames) {
  const std::vector<text_document> docs = built_in_documents("Roma_Pisa", "EXPR 368");
  ASSERT_EQ(docs.size(), 5u);
  const struct {
    const char* name;
    const line_table* table;
  } expected[] = {
      {"Roma_Pisa_linea.txt", &dati_linea()},
      {"Roma_Pisa_EXPR 368-.txt", &dati_treno()},
      {"Roma_Pisa_EXPR 368_note.txt", &dati_note()},
      {"Roma_Pisa_EXPR 368_rallentamenti.txt", &dati_rallentamenti()},
      {"Roma_Pisa_EXPR 368_scheda_treno.txt", &dati_scheda()},
  };
  for (std::size_t i = 0; i < docs.size(); ++i) {
    EXPECT_EQ(docs[i].file_name, expected[i].name);
    EXPECT_EQ(docs[i].table, expected[i].table) << expected[i].name;
  }
}

struct driver_document {
  const char* what;
  const line_table& (*table)();
  std::size_t count;
};

class DriverDocument : public ::testing::TestWithParam<driver_document> {};

TEST_P(DriverDocument, HasItsLineCountAndNeverTheEndMarker) {
  const line_table& table = GetParam().table();
  const lines doc = written_lines(table);
  EXPECT_EQ(doc.size(), GetParam().count);
  const std::string bytes = text_document{"", &table}.bytes();
  EXPECT_EQ(bytes.find(end_marker), std::string::npos);
  for (const std::string& l : doc) EXPECT_EQ(l.find_first_of("\r\n"), std::string::npos) << l;
}

INSTANTIATE_TEST_SUITE_P(, DriverDocument,
                         ::testing::Values(driver_document{"note", dati_note, 31},
                                           driver_document{"rallentamenti", dati_rallentamenti, 46},
                                           driver_document{"scheda", dati_scheda, 200}),
                         test_support::name_from_what{});

// ---- timetable card ----

class TimetableCard : public ::testing::Test {
 protected:
  const lines card = written_lines(dati_scheda());
};

TEST_F(TimetableCard, QuotedLinesStandAtTheirNumbers) {
  // clang-format off
  const struct {
    std::size_t n;
    std::string_view text;
  } quoted[] = {
      {1, ")"},
      {2, ""},
      {3, "  __________________________________                            __________________"},
      {4, " |                 | Termine scheda |    SCHEDA TRENO          |      V160B       |"},
      {5, " |   TRENO n. 368  |                |                          |                  |"},
      {6, " |_________________|___ PISA C.LE___|    Scheda n\xB0 1/4         |_______125%_______|       "},
      {7, "                                                        "},
      {8, "  __________________________________  Da: ROMA TERMINI         "},
      {9, " | CLASSIFICAZIONE | MASSA BLOCCATA |                           __________________"},
      {10, " |      EXP        |      800T      | a:  Cippo Km 79.000      |  E444R  |  RSC9  |"},
      {11, " |_________________|________________|                          |_________|________|"},
      {12, "  ________________________________________________________________________________"},
      {13, " |Binario SX |                                  |                   | Vel.|SRS SRS|"},
      {14, " |___________| Progr Km   Localita' di  Servizio|     Orario        | Max.|       |"},
      {15, " | Vel.| Vel.|                                  |                   | Bin.|SX  DX |"},
      {16, " |_Max.|_Mar.|__________________________________|___________________|__DX_|_______|"},
      {17, " |  30 |  30 |   0.000 | |Roma Termini          |        23.15      |  /  |       |"},
      {18, " |  95 |  95 |   1.000 | |Dev.U.                |                   |  /  |       |"},
      {20, " |     |     |   3.100 |_|Roma Tuscolana        |    23.20          |     |       |"},
      {21, " |     |     |   6.700 |/|Roma Ostiense         |23.26   23.27 (1.5)|  95 |COD COD|"},
      {31, " | 160 | 160 |  31.100/|/|Maccarese-Fregene     |    23.45          | 160 | :   : |"},
      {48, " |_____|_____|_________|\\|______________________|___________________|_____|_:___:_|"},
      {49, ""},
      {50, " * Localit\xE0 sedi di fermata, sprovviste di segnalamento di protezione"},
      {51, "..................................................................................."},
      {52, ""},
      {56, " |_________________|____PISA C.LE___|    Scheda n\xB0 2/4         |_______125%_______|                  "},
      {57, "  __________________________________  Da: CIVITAVECCHIA"},
      {59, " |      EXP        |      800T      | a:  Albinia              |  E444R  |  RSC9  |"},
      {60, " |_________________|________________|                          |_________|________|          "},
      {61, "  ________________________________________________________________________________    "},
      {66, " |     |     |  80.700 |/|Civitavecchia         | 0.11    0.12 (1.5)|     | :   : |"},
      {67, " | 100 | 100 |  81.250 |-|Dev.U.                |                   | ___ | :     |"},
      {97, " |_____|_____|_156.000_|/|Albinia_______________|_____0.55__________|_____|_:___:_|"},
      {98, ""},
      {99, ""},
      {100, " "},
      {101, " "},
      {102, ""},
      {103, "........................................................................"},
      {104, ""},
      {105, "  __________________________________                            __________________ "},
      {108, " |_________________|____PISA C.LE___|    Scheda n\xB0 3/4         |_______125%_______| "},
      {109, "                                                               "},
      {110, "  __________________________________  Da: Cippo Km 158.000      "},
      {111, " | CLASSIFICAZIONE | MASSA BLOCCATA |                           __________________               "},
      {112, " |       EXP       |      800T      | a:  Cecina               |  E444R  |  RSC9  |"},
      {115, " |Binario SX |                                  |                   | Vel.|SR  SRS|"},
      {116, " |___________| Progr Km   Localita' di  Servizio|    Orario         | Max.|       |"},
      {150, " |_130_|_130_|_281.600_|_|Cecina________________|_____2.01__________|__/__|_:_____|"},
      {151, ""},
      {152, "........................................................................"},
      {153, ""},
      {154, "  __________________________________                           ___________________    "},
      {155, " |                 | Termine scheda |    SCHEDA TRENO         |       V160B       |  "},
      {156, " |   TRENO n. 368  |                |                         |                   |"},
      {157, " |_________________|____PISA C.LE___|    Scheda n\xB0 4/4        |________125%_______| "},
      {158, "                                                               "},
      {159, "  __________________________________  Da: Cippo Km 284.000"},
      {160, " | CLASSIFICAZIONE | MASSA BLOCCATA |                          ___________________"},
      {161, " |       EXP       |      800T      | a:  PISA C.LE           |   E444R  |  RSC9  |"},
      {162, " |_________________|________________|                         |__________|________|"},
      {165, " |___________| Progr Km   Localita' di  Servizio|     Orario        | Max,|       |"},
      {170, " |     |     | 287.550/| |Vada                  |     2.05          |  /  | :     |"},
      {171, " |     |     |   0.000 |_|                      |                   |     | :     |"},
      {186, " | 105 | 105 |  27.750 |_|Livorno C.le          | 2.25    2.28      | ___ | :     |"},
      {187, " |     |     |  31.450/|/|Livorno Calambrone    |     2.31.+   (0.5)| 105 | :  COD|"},
      {197, " |     |     |  83.300 |/|Pisa C.le             | 2.43              |     | :   : |"},
      {198, " |     |     |  (0.000)| |                      |                   |     |       |"},
      {199, " |_____|_____|_________|_|______________________|___________________|_____|_______|"},
      {200, ""},
  };
  // clang-format on
  ASSERT_EQ(card.size(), 200u);
  for (const auto& q : quoted) EXPECT_EQ(line(card, q.n), q.text) << "line " << q.n;
}

// Pages 2 to 4 repeat the first page's header lines 3 to 16, except the lines each page changes.
TEST_F(TimetableCard, LaterPagesRepeatTheFirstHeader) {
  const struct {
    std::size_t first;
    bool blank_line;  // page 2 has no blank line between its two blocks
    std::vector<std::size_t> changed;
  } pages[] = {
      {53, false, {56, 57, 59, 60, 61}},
      {105, true, {105, 108, 110, 111, 112, 115, 116}},
      {154, true, {154, 155, 156, 157, 159, 160, 161, 162, 165}},
  };
  ASSERT_EQ(card.size(), 200u);
  for (const auto& page : pages) {
    std::size_t n = page.first;
    for (std::size_t source = 3; source <= 16; ++source) {
      if (source == 7) {
        if (page.blank_line) {
          EXPECT_EQ(line(card, n), std::string(63, ' ')) << "line " << n;
          ++n;
        }
        continue;
      }
      if (std::find(page.changed.begin(), page.changed.end(), n) == page.changed.end()) {
        EXPECT_EQ(line(card, n), line(card, source)) << "line " << n;
      }
      ++n;
    }
  }
}

// Table rows and bottom lines of the four pages, by line number.
struct table_span {
  std::size_t first_row, bottom;
};
constexpr table_span tables[] = {{17, 48}, {66, 97}, {119, 150}, {168, 199}};

TEST_F(TimetableCard, EveryRowSplitsIntoTheEightCells) {
  const std::vector<std::size_t> widths = {5, 5, 9, 1, 22, 19, 5, 7};
  ASSERT_EQ(card.size(), 200u);
  for (const table_span& t : tables) {
    EXPECT_EQ(t.bottom - t.first_row, 31u);
    for (std::size_t n = t.first_row; n <= t.bottom; ++n) {
      std::string row = line(card, n);
      if (n == 145) {  // the one row printed with a trailing blank
        ASSERT_EQ(row.back(), ' ');
        row.pop_back();
      }
      EXPECT_EQ(row.size(), 83u) << "line " << n;
      EXPECT_EQ(row.substr(0, 2), " |") << "line " << n;
      EXPECT_EQ(row.back(), '|') << "line " << n;
      EXPECT_EQ(cell_widths(row), widths) << "line " << n << ": " << row;
    }
    EXPECT_EQ(line(card, t.bottom).find(' ', 1), std::string::npos) << "bottom line " << t.bottom;
  }
}

// The name cell of every row, trimmed, with the mark of a stop without protection signals dropped.
lines names_in_travel_order(const lines& card) {
  lines names;
  for (const table_span& t : tables)
    for (std::size_t n = t.first_row; n <= t.bottom; ++n) {
      std::string name = line(card, n).substr(26, 22);
      std::replace(name.begin(), name.end(), '_', ' ');
      if (const std::size_t star = name.find(" *"); star != std::string::npos) name.erase(star);
      name.erase(name.find_last_not_of(' ') + 1);
      if (!name.empty()) names.push_back(name);
    }
  return names;
}

TEST_F(TimetableCard, ListsEveryStationInOrderOfTravel) {
  // clang-format off
  const lines stations = {
      "Roma Termini", "Roma Tuscolana", "Roma Ostiense", "Roma Trastevere", "Roma S. Pietro",
      "Roma Aurelia", "Maccarese-Fregene", "Torre in Pietra-Palid.", "Palo Laziale",
      "Cerveteri-Ladispoli", "Marina di Cerveteri", "S.Severa", "S.Marinella", "Civitavecchia",
      "Tarquinia", "Montalto di Castro", "Chiarone", "Capalbio", "Orbetello", "Albinia",
      "Talamone", "Alberese", "Grosseto", "Montepescali", "Giuncarico", "Gavorrano", "Scarlino",
      "Follonica", "Vignale Riotorto", "Campiglia Marittima", "San Vincenzo",
      "Castagneto Carducci", "Bolgheri", "Bibbona", "Cecina", "Vada", "Rosignano",
      "Castiglioncello", "Quercianella", "Antignano", "Ardenza", "Livorno C.le",
      "Livorno Calambrone", "Tombolo", "Pisa C.le"};
  // clang-format on
  ASSERT_EQ(card.size(), 200u);
  const lines names = names_in_travel_order(card);
  auto at = names.begin();
  for (const std::string& station : stations) {
    at = std::find(at, names.end(), station);
    ASSERT_NE(at, names.end()) << station << " missing or out of order";
  }
  EXPECT_EQ(names.back(), "Pisa C.le");
}

bool digit(char c) {
  return c >= '0' && c <= '9';
}

// Every time on the card, read down the pages, never goes back (the run passes midnight once).
TEST_F(TimetableCard, TimesRunForwardDownTheCard) {
  ASSERT_EQ(card.size(), 200u);
  int previous = 0;
  for (const table_span& t : tables)
    for (std::size_t n = t.first_row; n <= t.bottom; ++n) {
      std::string cell = line(card, n).substr(49, 19);
      std::replace(cell.begin(), cell.end(), '_', ' ');
      for (std::size_t dot = cell.find('.'); dot != std::string::npos;
           dot = cell.find('.', dot + 1)) {
        if (dot == 0 || dot + 2 >= cell.size() || !digit(cell[dot - 1])) continue;
        if (!digit(cell[dot + 1]) || !digit(cell[dot + 2])) continue;
        const int hours = std::stoi(cell.substr(dot >= 2 ? dot - 2 : 0, dot >= 2 ? 2 : 1));
        const int minutes = std::stoi(cell.substr(dot + 1, 2));
        ASSERT_LT(minutes, 60) << "line " << n;
        const int clock = (hours < 12 ? hours + 24 : hours) * 60 + minutes;
        EXPECT_GE(clock, previous) << "line " << n << ": " << cell;
        previous = clock;
      }
    }
  EXPECT_EQ(previous, (24 + 2) * 60 + 43);  // arrival at Pisa C.le
}

// ---- restriction order form ----

class OrderForm : public ::testing::Test {
 protected:
  const lines form = written_lines(dati_rallentamenti());
};

TEST_F(OrderForm, TableHasTwentySixEmptyRowsInItsSixCells) {
  const std::string empty_row =
      " |   |                            |            |          |         |            |";
  ASSERT_EQ(form.size(), 46u);
  for (std::size_t n = 13; n <= 38; ++n) EXPECT_EQ(line(form, n), empty_row) << "line " << n;
  for (std::size_t n = 9; n <= 39; ++n) {
    EXPECT_EQ(line(form, n).size(), 82u) << "line " << n;
    EXPECT_EQ(cell_widths(line(form, n)), (std::vector<std::size_t>{3, 28, 12, 10, 9, 12}))
        << "line " << n;
  }
  EXPECT_EQ(line(form, 10),
            " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|");
}

TEST_F(OrderForm, HeadingAndPrescriptionKeyInOrderABDC) {
  // clang-format off
  const struct {
    std::size_t n;
    std::string_view text;
  } quoted[] = {
      {1, ""},
      {2, "                               Modulo M. 3"},
      {3, "                           ORDINE DI RALLENTAMENTO"},
      {5, "  Linea  xxxxxx xxxxxxx"},
      {7, "  Si ordina al macchinista del treno xxxxx di effettuare i seguenti rallentamenti"},
      {40, ""},
      {41, "              Prescrizioni specifiche"},
      {42, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
      {43, " B - Interessa anche la stazione di......."},
      {44, " D - Rallentamneto N. ... e N. ...  sono contigui"},
      {45, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
      {46, "     i giorni esclusi i seguenti:........."},
  };
  // clang-format on
  ASSERT_EQ(form.size(), 46u);
  for (const auto& q : quoted) EXPECT_EQ(line(form, q.n), q.text) << "line " << q.n;
  EXPECT_EQ(line(form, 4), " " + std::string(80, '_'));
  EXPECT_EQ(line(form, 8), "  " + std::string(79, '_'));
}

// ---- scenario notes ----

class ScenarioNotes : public ::testing::Test {
 protected:
  const lines notes = written_lines(dati_note());
};

TEST_F(ScenarioNotes, LineLengthsFollowTheHandWrapping) {
  ASSERT_EQ(notes.size(), 31u);
  EXPECT_EQ(line(notes, 1),
            "    Ho scelto di dedicare questo ulteriore scenario Roma-Pisa all'EXPR 368, un treno "
            "'notturno' a");
  // The joined lines stay whole.
  EXPECT_EQ(line(notes, 10).size(), 195u);
  EXPECT_EQ(line(notes, 25).size(), 196u);
  EXPECT_EQ(line(notes, 26).size(), 108u);
  std::size_t full_lines = 0;
  for (std::size_t n = 1; n <= notes.size(); ++n) {
    const std::size_t length = line(notes, n).size();
    if (n != 10 && n != 25 && n != 26) {
      EXPECT_LE(length, 98u) << "line " << n;
    }
    if (length >= 95 && length <= 98) ++full_lines;
  }
  EXPECT_GE(full_lines, 20u);
}

TEST_F(ScenarioNotes, TrailingBlanksAndParagraphIndents) {
  ASSERT_EQ(notes.size(), 31u);
  for (std::size_t n = 1; n <= notes.size(); ++n) {
    const std::string& l = line(notes, n);
    const bool trailing = !l.empty() && l.back() == ' ';
    EXPECT_EQ(trailing, n == 15 || n == 22) << "line " << n;
    const bool paragraph_start = n == 1 || n == 14 || n == 15 || (n >= 27 && n != 28);
    EXPECT_EQ(l.rfind("    ", 0) == 0, paragraph_start) << "line " << n;
    if (paragraph_start) {
      EXPECT_NE(l[4], ' ') << "line " << n;
    }
  }
}

// The wording: sleeping cars are "carrozze letto", the EXPR 368's own stop at Roma Ostiense is
// named with train 752's, and no sentence says both "tra" and "fra".
TEST_F(ScenarioNotes, WordingOfTheCarsTheStopsAndBetween) {
  std::string text;
  for (const std::string& l : notes) text += l + " ";
  EXPECT_NE(text.find("carrozze letto"), std::string::npos);
  EXPECT_EQ(text.find("vagoni letto"), std::string::npos);
  EXPECT_NE(text.find("a Roma Ostiense fermano sia il treno 752 sia l'EXPR 368"),
            std::string::npos);
  std::size_t start = 0;
  for (std::size_t end = text.find_first_of(".;:!", start); end != std::string::npos;
       start = end + 1, end = text.find_first_of(".;:!", start)) {
    std::string sentence = " " + text.substr(start, end - start) + " ";
    for (char& ch : sentence) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    const bool tra = sentence.find(" tra ") != std::string::npos;
    const bool fra = sentence.find(" fra ") != std::string::npos;
    EXPECT_FALSE(tra && fra) << sentence;
  }
}

// Windows-1252: each accented letter and the degree sign is one byte, never a UTF-8 pair.
TEST(DocumentEncoding, AccentsAreSingleWindows1252Bytes) {
  const std::string notes = text_document{"", &dati_note()}.bytes();
  for (const char accent : {'\xE0', '\xE8', '\xEC', '\xF2', '\xF9', '\xB0'})
    EXPECT_NE(notes.find(accent), std::string::npos) << std::hex << (unsigned char)accent + 0;
  const std::string card = text_document{"", &dati_scheda()}.bytes();
  EXPECT_NE(card.find("n\xB0 1/4"), std::string::npos);
  EXPECT_NE(card.find("Localit\xE0"), std::string::npos);
  for (const std::string* doc : {&notes, &card})
    EXPECT_EQ(doc->find_first_of("\xC2\xC3"), std::string::npos);  // UTF-8 lead bytes
}

}  // namespace
}  // namespace scenario
