// The built-in timetable card against the card `scenario card` makes of the built-in pair, and both
// against the built-in data: the rows the card's fixed layout leaves free hold exactly the made
// rows; the quoted rows, which stay as they are, differ only where listed here with the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "card/card.h"
#include "card/card_text.h"
#include "card/kilometres.h"
#include "compiler/compile.h"
#include "content/documents.h"
#include "timetable/running_time.h"

namespace scenario {
namespace {

using card::card_row;
using card::timetable_card;

// The built-in pair, compiled as the main program compiles it, and its card.
struct built_in {
  built_in() {
    const std::vector<text_document> docs = built_in_documents(built_in_route, built_in_train);
    result = compile_pair({built_in_route, built_in_train, true, false, true},
                          data_files{docs[0].bytes(), docs[1].bytes()});
    made = card::make_card(*result.model, card::train_data{});
    const line_table& table = dati_scheda();
    lines.assign(table.begin(), table.begin() + static_cast<std::ptrdiff_t>(table_length(table)));
  }
  const compilation& model() const { return *result.model; }
  compile_result result;
  timetable_card made;
  std::vector<std::string> lines;  // the built-in card
};

const built_in& data() {
  static const built_in d;
  return d;
}

// The cells of a row, by their number 0 to 7: speed, running speed, kilometres, drawing, name,
// times, right-hand track, code.
std::vector<std::string> cells(const std::string& row) {
  std::vector<std::string> out;
  std::size_t bar = row.find('|');
  for (int i = 0; i < 8; ++i) {
    const std::size_t next = row.find('|', bar + 1);
    out.push_back(row.substr(bar + 1, next - bar - 1));
    bar = next;
  }
  return out;
}

// A bottom line that carries a row underlines its blanks.
std::string underlined(std::string row) {
  std::replace(row.begin() + 1, row.end(), ' ', '_');
  return row;
}

const std::set<std::size_t> bottom_rows = {97, 150};  // bottom lines that carry the page's last row

// The lines of the four tables that hold a point: 31 rows a page, and on pages 2 and 3 the bottom.
std::vector<std::size_t> point_lines() {
  std::vector<std::size_t> out;
  for (const auto& [first, last] : {std::pair{17, 47}, {66, 97}, {119, 150}, {168, 198}})
    for (std::size_t n = first; n <= static_cast<std::size_t>(last); ++n) out.push_back(n);
  return out;
}

struct cell_difference {
  int cell;
  const char* reason;
};
struct quoted_row {
  std::size_t line;
  const char* stands_for;  // the kilometres of the made row in its place
  std::vector<cell_difference> differences;
};

// Quoted rows, and the cells where they differ from the made row in their place.
const std::vector<quoted_row>& quoted_rows() {
  static const std::vector<quoted_row> rows = {
      {17,
       "0.000",
       {{3, "the line is level at Roma Termini"},
        {6, "right-hand running starts only at the signal at 1050, in the cell at 1100"}}},
      {18,
       "1.000",
       {{3, "the line falls at 11 per mille there"},
        {4, "no junction board stands at 1000: the line's first text board is at 7950"},
        {6, "no right-hand running before 1100"}}},
      {20, "3.100", {{5, "the run passes Roma Tuscolana at 23:21"}}},
      {21,
       "6.700",
       {{5, "the run arrives at 23:25:30, 90 s before the 23:27:00 of the train scenario"},
        {7,
         "the code starts at 8000: the made card marks it on the row of the right-hand "
         "board at 7.350, which this card leaves out"}}},
      {31, "31.100", {{6, "the right-hand track runs at 140 at most"}}},
      {66, "80.600", {{2, "Civitavecchia stands at 77550, 80.600 on the count"}}},
      {67,
       "81.250",
       {{3, "the line rises there"},
        {4,
         "the junction board written at 78200 stands in the next cell, 81.300, on a row of "
         "its own"}}},
      {97,
       "156.400",
       {{2, "Albinia stands at 153350, 156.400 on the count"},
        {5, "the run passes Albinia at 0:57"}}},
      {150,
       "281.600",
       {{5, "the run passes Cecina at 2:04"},
        {6, "right-hand running stops at Cecina's protection signal"}}},
      {170,
       "287.550",
       {{3, "the line is level at Vada"},
        {4, "Vada is a halt without signals: \"*\""},
        {5, "the run passes Vada at 2:07"},
        {6, "no right-hand running from Cecina to Rosignano"}}},
      {171, "0.000", {}},
      {186,
       "27.750",
       {{5, "the run arrives at 2:26:50 and stands 90 s to its 2:28:20"},
        {7,
         "right-hand running lasts to Livorno C.le's departure signal, so the right-hand "
         "track is coded past the station"}}},
      {187, "31.450", {{5, "the run passes Livorno Calambrone at 2:32"}}},
      {197,
       "79.300",
       {{2, "the count runs down from Livorno Calambrone (the third progressive, flag 1)"},
        {3, "the gradients end at 317750, level"},
        {7, "the code repetition ends at 330700"}}},
  };
  return rows;
}

// Made rows this card has no room for, by kilometres and name.
struct omitted_row {
  const char* kilometres;
  const char* name;
  const char* reason;
};
const std::vector<omitted_row>& omitted_rows() {
  static const std::vector<omitted_row> rows = {
      {"5.700", "Segn.Prot.",
       "Roma Ostiense's protection signal: quoted rows 20 and 21 follow each other"},
      {"7.350", "",
       "the quoted board at 7300 gives the right-hand track 80 from there: quoted rows 21 and 31 "
       "leave nine rows for eleven points"},
      {"12.050", "", "the rise to 90: quoted rows 21 and 31 leave nine rows for eleven points"},
      {"167.000", "",
       "the rise to 160: the quoted bottom lines 97 and 150 leave 31 rows for 32 points"},
      {"30.750", "Segn.Prot.",
       "Livorno Calambrone's protection signal: quoted rows 186 and 187 follow each other"},
      {"96.100", "",
       "the new count at Livorno Calambrone, which the rows after it show: quoted rows 187 and "
       "197 leave nine rows for ten points"},
  };
  return rows;
}

// Lines of this card that the data do not give.
const std::map<std::size_t, const char*>& added_lines() {
  static const std::map<std::size_t, const char*> lines = {
      {169,
       "no point: quoted rows 150 and 170 leave two rows for the one point between Cecina and "
       "Vada, the rise to 145"},
      {198, "quoted: a second count at Pisa that the data do not give"},
  };
  return lines;
}

std::string trimmed(std::string s) {
  std::replace(s.begin(), s.end(), '_', ' ');
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

// Which made row each point line of the built-in card holds, or none for an added line.
std::map<std::size_t, std::optional<std::size_t>> alignment() {
  const std::vector<card_row>& rows = data().made.rows;
  std::map<std::size_t, std::optional<std::size_t>> out;
  std::size_t i = 0;
  auto omitted = [&](const card_row& r) {
    const std::string km = card::kilometres_text(r.count_m);
    return std::any_of(omitted_rows().begin(), omitted_rows().end(), [&](const omitted_row& o) {
      return km == o.kilometres && r.name == o.name;
    });
  };
  for (std::size_t n : point_lines()) {
    if (added_lines().count(n)) {
      out[n] = std::nullopt;
      continue;
    }
    while (i < rows.size() && omitted(rows[i])) ++i;
    out[n] = i < rows.size() ? std::optional<std::size_t>(i) : std::nullopt;
    ++i;
  }
  while (i < rows.size() && omitted(rows[i])) ++i;
  EXPECT_EQ(i, rows.size()) << "made rows left over";
  return out;
}

TEST(BuiltInCard, FreeRowsAreTheMadeRowsAndQuotedRowsDifferOnlyWhereListed) {
  const built_in& d = data();
  ASSERT_FALSE(d.made.run.failure) << *d.made.run.failure;
  ASSERT_EQ(d.lines.size(), 200u);
  std::map<std::size_t, const quoted_row*> quoted;
  for (const quoted_row& q : quoted_rows()) quoted[q.line] = &q;
  for (const auto& [line, index] : alignment()) {
    const std::string& built = d.lines[line - 1];
    if (!index) {
      EXPECT_TRUE(added_lines().count(line)) << "line " << line << " holds no made row";
      continue;
    }
    const std::string made = bottom_rows.count(line)
                                 ? underlined(card::row_text(d.made.rows[*index]))
                                 : card::row_text(d.made.rows[*index]);
    const auto q = quoted.find(line);
    if (q == quoted.end()) {
      // The card's form gives line 145, and it alone, one trailing blank.
      EXPECT_EQ(built, line == 145 ? made + " " : made) << "line " << line;
      continue;
    }
    EXPECT_EQ(trimmed(cells(made)[2]),
              std::string(q->second->stands_for) + (d.made.rows[*index].change_over ? "/" : ""))
        << "line " << line << " stands for another row";
    const std::vector<std::string> b = cells(built), m = cells(made);
    std::set<int> listed;
    for (const cell_difference& c : q->second->differences) listed.insert(c.cell);
    for (int c = 0; c < 8; ++c) {
      if (listed.count(c)) {
        EXPECT_NE(b[c], m[c]) << "line " << line << " cell " << c << " is listed but agrees";
      } else {
        EXPECT_EQ(b[c], m[c]) << "line " << line << " cell " << c;
      }
    }
  }
}

// Pages 1 to 4 name their first and last row in the header ("Da:", "a:"), but for two kilometre
// posts that no board of the line description gives.
TEST(BuiltInCard, PageHeadersNameTheirFirstAndLastRows) {
  const built_in& d = data();
  const struct {
    std::size_t from_line, to_line, first_row, last_row;
    bool from_known;
  } pages[] = {
      {8, 10, 17, 47, true},
      {57, 59, 66, 97, true},
      {110, 112, 119, 150, false},  // "Cippo Km 158.000": no post there; the row is 164.000
      {159, 161, 168, 197, false},  // "Cippo Km 284.000": the row is the rise to 145
  };
  auto upper = [](std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
  };
  for (const auto& p : pages) {
    const std::string& from = d.lines[p.from_line - 1];
    const std::string& to = d.lines[p.to_line - 1];
    const std::string first = trimmed(cells(d.lines[p.first_row - 1])[4]);
    const std::string last = trimmed(cells(d.lines[p.last_row - 1])[4]);
    const bool names_first =
        !first.empty() && upper(from).find("DA: " + upper(first)) != std::string::npos;
    EXPECT_EQ(names_first, p.from_known) << from << " / " << first;
    EXPECT_NE(upper(to).find("A:  " + upper(last)), std::string::npos) << to << " / " << last;
  }
}

// The built-in card's row at each place, from the alignment.
std::map<long_t, std::vector<std::size_t>> lines_by_position() {
  std::map<long_t, std::vector<std::size_t>> out;
  for (const auto& [line, index] : alignment())
    if (index) out[data().made.rows[*index].position_m].push_back(line);
  return out;
}

TEST(BuiltInCard, EveryStationAndProtectionSignalIsOnIt) {
  const built_in& d = data();
  const std::map<long_t, std::vector<std::size_t>> at = lines_by_position();
  const std::vector<card::count_change> changes = card::count_changes(d.model().voci_generali);
  auto find = [&](long_t x, const std::string& name) -> std::optional<std::size_t> {
    const auto places = at.find(x);
    if (places == at.end()) return std::nullopt;
    for (std::size_t line : places->second)
      if (trimmed(cells(d.lines[line - 1])[4]).rfind(name, 0) == 0) return line;
    return std::nullopt;
  };
  // The stations whose quoted row gives other kilometres than the count at their position.
  const std::set<std::string> quoted_elsewhere = {"Civitavecchia", "Albinia", "Pisa Centrale"};
  int stations = 0;
  for (int k = voce::prima_stazione; k < voce::primo_cartello; ++k) {
    const voce_generale& s = d.model().voci_generali[static_cast<std::size_t>(k)];
    if (s.nome.empty()) break;
    ++stations;
    const std::string name = card::card_name(s.nome, false);
    const std::optional<std::size_t> line = find(s.posizione, name);
    ASSERT_TRUE(line) << s.nome << " is not on the card";
    if (quoted_elsewhere.count(s.nome)) continue;
    EXPECT_EQ(trimmed(cells(d.lines[*line - 1])[2]),
              card::kilometres_text(card::count_at(changes, s.posizione, false)) +
                  (card::change_at(changes, s.posizione) ? "/" : ""))
        << s.nome;
  }
  EXPECT_EQ(stations, 45);

  const std::set<long_t> no_room = {5700, 315250};  // Roma Ostiense, Livorno Calambrone
  int signals = 0;
  for (std::size_t i = 0; i < d.model().percorso.size(); ++i) {
    if (!card::is_protection_signal(d.model().percorso[i])) continue;
    const long_t x = static_cast<long_t>(i) * 50;
    ++signals;
    if (no_room.count(x)) {
      EXPECT_FALSE(find(x, "Segn.Prot.")) << x;
      continue;
    }
    const std::optional<std::size_t> line = find(x, "Segn.Prot.");
    ASSERT_TRUE(line) << "the protection signal at " << x << " is not on the card";
    EXPECT_EQ(trimmed(cells(d.lines[*line - 1])[2]),
              card::kilometres_text(card::count_at(changes, x)))
        << x;
  }
  // Every station's with signals but Roma Termini's, the first (Roma Tuscolana's is the one at
  // 1050), and Bivio Mortellini's.
  EXPECT_EQ(signals, 34);
}

// The kilometres: every kilometre post's text against the count at its cell, every row's
// kilometres against the count at its place, and the change-overs exactly at the progressives.
TEST(BuiltInCard, KilometresFollowTheProgressivesOfTheLineFile) {
  const built_in& d = data();
  const std::vector<card::count_change> changes = card::count_changes(d.model().voci_generali);
  for (std::size_t i = 0; i < d.model().percorso.size(); ++i) {
    const cella& c = d.model().percorso[i];
    if (c.tipo != tipo_cella::cartello_indicatore) continue;
    const std::optional<std::string> name =
        card::board_name(d.model().voci_generali[static_cast<std::size_t>(c.valore1)].nome);
    if (!name || name->rfind("Cippo Km ", 0) != 0) continue;
    const long_t x = static_cast<long_t>(i) * 50;
    const std::string count = card::kilometres_text(card::count_at(changes, x));
    if (*name == "Cippo Km 81.300") {
      // Quoted at 330750: in the cell from 330800 the descending count reads 81.250.
      EXPECT_EQ(count, "81.250");
      continue;
    }
    EXPECT_EQ(name->substr(9), count) << "the post in the cell at " << x;
  }

  const std::set<std::size_t> quoted_elsewhere = {66, 97, 197};
  std::vector<long_t> change_overs;
  for (const auto& [line, index] : alignment()) {
    if (!index || quoted_elsewhere.count(line)) continue;
    const card_row& r = d.made.rows[*index];
    const std::string shown = trimmed(cells(d.lines[line - 1])[2]);
    const bool old_count = !shown.empty() && shown.back() == '/';
    if (old_count) change_overs.push_back(r.position_m);
    EXPECT_EQ(old_count ? shown.substr(0, shown.size() - 1) : shown,
              card::kilometres_text(card::count_at(changes, r.position_m, !old_count)))
        << "line " << line;
  }
  EXPECT_EQ(change_overs, (std::vector<long_t>{31100, 284500, 315950}));
}

// Right-hand running from the signals' right-hand heads, its speed from the boards' right-hand
// sides: boards with a right-hand side stand only where right-hand running is signalled, the
// right-hand track is never faster than the left-hand one, and the card's right-hand column shows
// a speed where right-hand running opens and "___" where it closes.
TEST(BuiltInCard, RightTrackColumnsFollowBoardsAndSignals) {
  const built_in& d = data();
  const std::vector<cella>& cells_ = d.model().percorso;
  std::vector<bool> right(cells_.size());
  bool on = false;
  int right_kmh = 0;
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const cella& c = cells_[i];
    if (c.tipo == tipo_cella::segnale) on = c.valore4 % 10 % 3 != 0;
    right[i] = on;
    if (!on) right_kmh = 0;
    if (c.tipo == tipo_cella::indicatori_v_max) {
      const int side = c.valore2 % 100 * 5;  // rank B
      if (side != 0) {
        EXPECT_TRUE(on) << "a right-hand board where no right-hand running is signalled, cell "
                        << i;
        if (c.valore4 % 10 == 0) right_kmh = side;
      }
    }
    if (on && right_kmh != 0) {
      EXPECT_LE(right_kmh, c.velocita_limite * 5) << "cell " << i;
    }
  }

  // Where right-hand running opens and closes, on the card.
  // "/" in the quoted rows; the bottom lines, underlined, are the made rows (above).
  const std::set<std::size_t> quoted_as_is = {17, 18, 97, 150, 170};
  std::vector<std::pair<long_t, std::string>> rows;  // place and right-hand cell, in order
  for (const auto& [line, index] : alignment())
    if (index && !quoted_as_is.count(line))
      rows.emplace_back(d.made.rows[*index].position_m, cells(d.lines[line - 1])[6]);
  for (std::size_t r = 0; r + 1 < rows.size(); ++r) {
    if (rows[r + 1].first == rows[r].first) continue;
    const std::size_t from = static_cast<std::size_t>(rows[r].first / 50);
    const std::size_t to = static_cast<std::size_t>(rows[r + 1].first / 50);
    bool opens = false, closes = false;
    for (std::size_t i = from; i < to; ++i) {
      opens = opens || (right[i] && i > 0 && !right[i - 1]);
      closes = closes || (!right[i] && i > 0 && right[i - 1]);
    }
    const std::string& shown = rows[r].second;
    const bool speed = std::isdigit(static_cast<unsigned char>(shown[3])) != 0;
    if (closes && !right[to - 1]) {
      EXPECT_EQ(shown, " ___ ") << "right-hand running closes after " << rows[r].first;
    } else if (opens) {
      EXPECT_TRUE(speed) << "right-hand running opens after " << rows[r].first << ": " << shown;
    } else {
      EXPECT_TRUE(speed || shown == "     ") << "\"" << shown << "\" at " << rows[r].first;
    }
  }
}

// Consecutive signals at least a braking distance apart at the highest line speed between them,
// braking at the service deceleration of the EXPR 368.
TEST(BuiltInCard, SignalsStandABrakingDistanceApart) {
  const built_in& d = data();
  const double b = timetable::service_deceleration_mps2(
      card::train_of(d.model().voci_generali, card::train_data{}));
  ASSERT_NEAR(b, 0.7, 1e-9);
  std::optional<std::size_t> previous;
  const std::vector<cella>& c = d.model().percorso;
  for (std::size_t i = 0; i < c.size(); ++i) {
    if (c[i].tipo != tipo_cella::segnale) continue;
    if (previous) {
      int kmh = 0;
      for (std::size_t k = *previous; k < i; ++k) kmh = std::max(kmh, c[k].velocita_limite * 5);
      const double v = kmh / 3.6;
      const double gap = static_cast<double>(i - *previous) * 50;
      EXPECT_GE(gap, v * v / (2 * b))
          << "signals at " << *previous * 50 << " and " << i * 50 << " at " << kmh << " km/h";
    }
    previous = i;
  }
}

}  // namespace
}  // namespace scenario
