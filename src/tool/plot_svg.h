// One SVG picture of a compiled scenario: the plan of the track above, the profile along the route
// below, on one kilometre axis.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"
#include "tool/scenario_diff.h"

namespace scenario {

// A second scenario drawn over the first, on the same plan and profile, with what differs.
struct plot_comparison {
  const std::vector<cella>* cells = nullptr;  // required
  const track_points* plan = nullptr;
  std::vector<change> changes;  // from the first scenario to this one
};

struct plot_input {
  std::string title;                          // UTF-8
  const std::vector<cella>* cells = nullptr;  // required
  const tabella_voci* voci = nullptr;         // names, station areas and times, when known
  const track_points* plan = nullptr;         // the plan panel is drawn only with it
  std::vector<std::string> notes;             // UTF-8 lines shown under the title
  const plot_comparison* compare = nullptr;  // its track and speed limit dashed, its changes shaded
  // The speed of a run over the route (the timetable card's), one value every 50 m from
  // running_start_m; drawn in the speed lane when given.
  std::vector<double> running_speed_kmh;
  long_t running_start_m = 0;
};

// Every object cell (any type but nothing and scenery) gets one element with class "mark" and a
// data-cell attribute, with a <title> that says what it is. With a comparison, every change with
// a place along the route gets one element with class "difference" on the profile (and station
// and track plan changes one more on the plan), with a <title> that says what changed.
std::string render_plot(const plot_input& in);

}  // namespace scenario
