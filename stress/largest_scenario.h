// The largest scenario the file format allows: a 1,000,000 m route with an object in almost every
// cell that may hold one. Used by the stress test, the benchmarks and the fuzzing seed corpus.
#pragma once

#include <string>

namespace scenario::tools {

struct largest_scenario_options {
  long route_length = 1000000;  // shorter routes keep the same density (fuzzing seeds)
  int stations = 78;            // 78 is the most that fit without text boards
  int text_boards = 0;          // up to 81 (records 80 down to 0)
  bool restrictions = true;
};

struct scenario_texts {
  std::string line;   // the line description file
  std::string train;  // the train scenario file
};

scenario_texts largest_scenario(const largest_scenario_options& options = {});

}  // namespace scenario::tools
