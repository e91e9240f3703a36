// The largest scenario the format allows, compiled whole: a 1,000,000 m route with an object in
// almost every cell, hundreds of curves, 80 mountain spans, 100 restrictions, 78 stations or 81
// text boards.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "largest_scenario.h"
#include "support/temp_dir.h"
#include "tool/compile_command.h"

namespace scenario {
namespace {

using test_support::temp_dir;

struct stress_case {
  int stations;
  int text_boards;
  int expected_code;
  exit_status expected_status;
};

void PrintTo(const stress_case& c, std::ostream* os) {
  *os << c.stations << " stations, " << c.text_boards << " text boards";
}

class LargestScenario : public ::testing::TestWithParam<stress_case> {};

TEST_P(LargestScenario, CompilesWithTheExpectedCodeAndFiles) {
  const stress_case& sc = GetParam();
  const tools::scenario_texts texts =
      tools::largest_scenario({.stations = sc.stations, .text_boards = sc.text_boards});
  temp_dir dir;
  dir.write("Largest_linea.txt", texts.line);
  dir.write("Largest_T 1-.txt", texts.train);

  compile_options options;
  options.line_path = dir.file("Largest_linea.txt");
  options.train_path = dir.file("Largest_T 1-.txt");
  options.output_dir = dir.path();
  options.force = true;
  options.json = true;
  std::ostringstream out, err;
  EXPECT_EQ(run_compile(options, out, err), as_int(sc.expected_status)) << err.str();
  const nlohmann::json report = nlohmann::json::parse(out.str());
  EXPECT_EQ(report["codice_errore"], sc.expected_code) << err.str();

  // 20141 cells of 15 bytes; 1,007,001 points of two tagged Doubles (10 bytes each) but the
  // first two (Integers, 4 bytes) and the last two (empty, 2 bytes).
  EXPECT_EQ(std::filesystem::file_size(dir.file("Largest_T 1.dat")), 20141u * 15);
  EXPECT_EQ(std::filesystem::file_size(dir.file("Largest_linea.dat")),
            2u * (2 * 4 + (1007001 - 4) * 10 + 2 * 2));
  EXPECT_TRUE(dir.exists("Largest_T 1.sim"));
  EXPECT_EQ(dir.count(), 5u);  // the two inputs and the three compiled files, no temporary
}

INSTANTIATE_TEST_SUITE_P(, LargestScenario,
                         ::testing::Values(stress_case{78, 0, 0, exit_status::ok},
                                           stress_case{0, 81, 0, exit_status::ok},
                                           // the first station reaches the text-board records
                                           stress_case{78, 81, 10, exit_status::fault}),
                         [](const ::testing::TestParamInfo<stress_case>& info) {
                           return std::to_string(info.param.stations) + "_stations_" +
                                  std::to_string(info.param.text_boards) + "_boards";
                         });

}  // namespace
}  // namespace scenario
