// Cards of scenarios other than the built-in one: a short fixture and the largest scenario the
// files allow. Each must split into the card's cells on every row and run forward in time.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "card/card.h"
#include "card/card_text.h"
#include "compiler/compile.h"
#include "largest_scenario.h"

namespace scenario::card {
namespace {

std::string fixture(const std::string& name) {
  std::ifstream in(std::string(TEST_DATA_DIR) + "/tool/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::size_t> cell_widths(const std::string& row) {
  std::vector<std::size_t> widths;
  for (std::size_t bar = row.find('|'), next; bar != std::string::npos; bar = next) {
    next = row.find('|', bar + 1);
    if (next == std::string::npos) break;
    widths.push_back(next - bar - 1);
  }
  return widths;
}

// Checks the card of a compiled pair; returns its rows' count.
std::size_t check_card(const std::string& route, const std::string& train, std::string line,
                       std::string train_file) {
  compile_request request{route, train, true, false, true};
  const compile_result result = compile_pair(request, data_files{line, train_file});
  EXPECT_TRUE(result.model);
  if (!result.model) return 0;
  EXPECT_EQ(result.outcome_verdict, verdict::compiled);
  const timetable_card card = make_card(*result.model, train_data{});
  EXPECT_FALSE(card.run.failure) << card.run.failure.value_or("");

  // Every table row and bottom line: 83 characters in the eight cells.
  const std::vector<std::string> lines = card_lines(card);
  const std::vector<std::size_t> widths = {5, 5, 9, 1, 22, 19, 5, 7};
  std::size_t table_lines = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind(" |_Max.|", 0) != 0) continue;  // the last line of a table header
    for (std::size_t n = i + 1; n <= i + rows_per_page + 1; ++n) {
      EXPECT_EQ(lines.at(n).size(), 83u) << n;
      EXPECT_EQ(cell_widths(lines[n]), widths) << n << ": " << lines[n];
      ++table_lines;
    }
  }
  const std::size_t pages = (card.rows.size() + rows_per_page - 1) / rows_per_page;
  EXPECT_EQ(table_lines, pages * (rows_per_page + 1));

  // Times rise along the route, and every station has one.
  double previous = -1;
  std::size_t stations = 0;
  for (const card_row& r : card.rows) {
    if (!r.station) continue;
    ++stations;
    EXPECT_TRUE(r.arrival_s || r.departure_s || r.passing_s) << r.name;
    for (const std::optional<double>& t : {r.arrival_s, r.passing_s, r.departure_s}) {
      if (!t) continue;
      EXPECT_GE(*t, previous) << r.name;
      previous = *t;
    }
  }
  EXPECT_GT(stations, 1u);
  return card.rows.size();
}

TEST(CardOfOtherScenarios, TheShortFixture) {
  EXPECT_GT(check_card("Valle", "R 12", fixture("Valle_linea.txt"), fixture("Valle_R 12-.txt")),
            5u);
}

TEST(CardOfOtherScenarios, TheLargestScenario) {
  const tools::scenario_texts texts = tools::largest_scenario();
  // Many pages: every station, signal and board of a million metres.
  EXPECT_GT(check_card("Largest", "T 1", texts.line, texts.train), 1000u);
}

}  // namespace
}  // namespace scenario::card
