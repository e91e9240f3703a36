// One SVG picture of a compiled scenario: the plan of the track above, the profile along the route
// below, on one kilometre axis.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"

namespace scenario {

struct plot_input {
  std::string title;                          // UTF-8
  const std::vector<cella>* cells = nullptr;  // required
  const tabella_voci* voci = nullptr;         // names, station areas and times, when known
  const track_points* plan = nullptr;         // the plan panel is drawn only with it
  std::vector<std::string> notes;             // UTF-8 lines shown under the title
  // The speed of a run over the route (the timetable card's), one value every 50 m from
  // running_start_m; drawn in the speed lane when given.
  std::vector<double> running_speed_kmh;
  long_t running_start_m = 0;
};

// Every object cell (any type but nothing and scenery) gets one element with class "mark" and a
// data-cell attribute, with a <title> that says what it is.
std::string render_plot(const plot_input& in);

}  // namespace scenario
