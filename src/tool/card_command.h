// `scenario card`: the driver's timetable card of a scenario pair, with the running times of its
// train, and on request the speed-distance curve of the run.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "card/running.h"

namespace scenario {

struct card_options {
  std::string line_path;
  std::string train_path;
  std::optional<std::string> output;  // the card; "-" for standard output
  std::optional<std::string> route;
  std::optional<std::string> train;
  std::optional<std::string> profile;           // the speed-distance curve as CSV; "-" for stdout
  std::string input_encoding = "windows-1252";  // or "utf-8": converted before compiling
  card::train_data train_data;
};

// Returns the exit status: 0 with the card written (a too tight section is a warning), 1 when the
// data hold a fault or the run cannot be timed, 2 for a file or name that cannot be used.
int run_card(const card_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario
