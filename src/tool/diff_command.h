// `scenario diff`: what differs between two scenarios, each a compiled one (its route cell file,
// with the scenario and line geometry files beside it) or a pair of data files compiled in memory.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace scenario {

struct diff_options {
  // Two scenarios: each a route cell file (.dat; a .sim stands for the .dat beside it) or two
  // words, LINE and TRAIN.
  std::vector<std::string> inputs;
  bool json = false;
  bool stat = false;  // one line per group of changes, with counts
};

// `out` receives the differences (nothing when there are none), `err` the messages for people.
// Returns the exit status as diff does: 0 the same, 1 different, 2 trouble.
int run_diff(const diff_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario
