// `scenario plot`: a picture of a compiled scenario, the plan of the track over the profile along
// the route, as one SVG file.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace scenario {

struct plot_options {
  std::string cell_path;
  std::string output;                        // "-": standard output
  std::optional<std::string> scenario_path;  // else the .sim beside the cell file
  std::optional<std::string> geometry_path;  // else <route>_linea.dat beside it
  // A second compiled scenario (its route cell file) drawn over the first, the differences marked.
  std::optional<std::string> compare;
  bool running_speed = false;  // draw the speed of the timetable card's run in the profile
};

// Returns the exit status: 0, or 2 for a file that cannot be read, decoded or written.
int run_plot(const plot_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario
