// The running times of a timetable card: the compiled route and train turned into the inputs of
// the running-time calculation, and the scheduled time of every point of the card.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/model.h"
#include "timetable/running_time.h"
#include "timetable/schedule.h"

namespace scenario::card {

// What the scenario files do not say about the train: its locomotive, its speed category and how
// long it stops. The defaults are those of the EXPR 368 behind an E 444R (docs/running_times.md).
struct train_data {
  timetable::locomotive loco{"E444R", 80, 4000, 200, 4};
  int max_speed_kmh = 160;   // the speed category's speed: "V160"
  char rank = 'B';           // which of a board's three speeds applies: A, B or C
  double coach_mass_t = 50;  // the simulator's mass per coach, load included
  double stop_time_s = 90;   // at every stop between the first and the last
};

// A station record of the compiled model, with its record index.
struct station {
  int record = 0;
  const voce_generale* r = nullptr;
};

// Records 1 upward that hold a station, up to the first that holds nothing but a name.
std::vector<station> stations_of(const tabella_voci& voci);

// A station where the train stops: one with a scheduled time, and the first and the last station.
bool is_stop(const std::vector<station>& stations, std::size_t i);

// The curvature, per metre, of the sharpest metre of each 50-metre cell; 0 where straight. Empty
// when the model has no track plan.
std::vector<double> cell_curvatures(const tracciato_t& plan, std::size_t cells);

// The same from the points of a line geometry file: how much the track turns from one metre to
// the next.
std::vector<double> cell_curvatures(const track_points& plan, std::size_t cells);

// The route as the calculation sees it: line speed (the lesser of the cell's and the train's),
// gradient and curve radius of every cell.
std::vector<timetable::route_cell> route_cells(std::span<const cella> cells,
                                               std::span<const double> curvatures);

// The train: locomotive, coaches and braked mass from records 84, hauled mass by the coach.
timetable::train train_of(const tabella_voci& voci, const train_data& t);

// The stops, in route order, with their stop times and required times: the first station's time is
// its departure, the last's its arrival, every other stop's its departure.
std::vector<timetable::stop> stops_of(const std::vector<station>& stations, const train_data& t);

// The run of the card: pure running times, the schedule and, for any position of the run, its
// scheduled time.
struct card_run {
  std::optional<std::string>
      failure;  // why there is no run: too few stations, a cell it cannot run
  timetable::running_times pure;
  timetable::schedule scheduled;
  std::vector<timetable::stop> stops;

  // Seconds after midnight (past 86400 after midnight) when the head passes position x, the
  // allowance of its section included; at a stop, its arrival.
  double passing_s(long_t x) const;
};

card_run run_of(const compilation& c, const train_data& t,
                const timetable::running_parameters& p = {},
                const timetable::schedule_parameters& s = {});

// The same from the parts of compiled files, for a plot drawn from them.
card_run run_of(std::span<const cella> cells, const tabella_voci& voci,
                std::span<const double> curvatures, const train_data& t,
                const timetable::running_parameters& p = {},
                const timetable::schedule_parameters& s = {});

}  // namespace scenario::card
