#include "timetable/schedule.h"

namespace scenario::timetable {

namespace {

// Below this many seconds a shortfall is rounding in the pure running times, not a tight section.
constexpr double tolerance_s = 1e-6;

// The schedule runs over events: the departure from the first point, then the arrival at and the
// departure from each point between, then the arrival at the last. Event m belongs to point
// (m + 1) / 2; an even event is a departure, an odd one an arrival. The gap after a departure is a
// running time, the gap after an arrival a dwell.
std::size_t point_of(std::size_t event) {
  return (event + 1) / 2;
}
bool is_departure(std::size_t event) {
  return event % 2 == 0;
}

struct gap {
  double shortest_s = 0;
  bool running = false;
};

gap gap_after(std::span<const timing_point> points, std::size_t event) {
  if (is_departure(event)) return {points[point_of(event) + 1].running_s, true};
  return {points[point_of(event)].dwell_s, false};
}

std::optional<std::int64_t> required_at(std::span<const timing_point> points, std::size_t event) {
  const timing_point& p = points[point_of(event)];
  return is_departure(event) ? p.required_departure_s : p.required_arrival_s;
}

// Required times as seconds after midnight of the first day: each the first time of its day not
// earlier than the one before.
std::vector<std::optional<double>> unwrapped_required_times(std::span<const timing_point> points,
                                                            std::size_t events) {
  std::vector<std::optional<double>> required(events);
  std::optional<std::int64_t> before;
  for (std::size_t e = 0; e < events; ++e) {
    const std::optional<std::int64_t> r = required_at(points, e);
    if (!r) continue;
    std::int64_t t = (*r % seconds_per_day + seconds_per_day) % seconds_per_day;
    if (before && t < *before) {
      t += (*before - t + seconds_per_day - 1) / seconds_per_day * seconds_per_day;
    }
    required[e] = static_cast<double>(t);
    before = t;
  }
  return required;
}

}  // namespace

schedule make_schedule(std::span<const timing_point> points, const schedule_parameters& p) {
  schedule out;
  if (points.empty()) return out;
  const std::size_t events = points.size() == 1 ? 1 : 2 * points.size() - 2;
  const std::vector<std::optional<double>> required = unwrapped_required_times(points, events);
  const double with_allowance = 1 + p.allowance_percent / 100;
  auto allowed = [&](std::size_t e) {
    const gap g = gap_after(points, e);
    return g.running ? g.shortest_s * with_allowance : g.shortest_s;
  };

  std::vector<std::size_t> anchors;
  for (std::size_t e = 0; e < events; ++e) {
    if (required[e]) anchors.push_back(e);
  }
  std::vector<double> time(events, 0);
  const std::size_t first_anchor = anchors.empty() ? 0 : anchors.front();
  if (!anchors.empty()) time[first_anchor] = *required[first_anchor];
  // Back from the first required time, as if with the allowance all the way.
  for (std::size_t e = first_anchor; e-- > 0;) time[e] = time[e + 1] - allowed(e);

  for (std::size_t k = 0; k + 1 < anchors.size(); ++k) {
    const std::size_t from = anchors[k];
    const std::size_t to = anchors[k + 1];
    double running = 0;
    double dwelling = 0;
    for (std::size_t e = from; e < to; ++e) {
      const gap g = gap_after(points, e);
      (g.running ? running : dwelling) += g.shortest_s;
    }
    const double window = *required[to] - *required[from];
    const double spare = window - running - dwelling;
    if (spare < -tolerance_s) {
      out.too_tight.push_back({point_of(from), point_of(to), points[point_of(from)].name,
                               points[point_of(to)].name, -spare});
      for (std::size_t e = from; e + 1 < to; ++e)
        time[e + 1] = time[e] + gap_after(points, e).shortest_s;
    } else {
      // One factor for every running time keeps the allowance in proportion to them; a window
      // with no running time in it (a stop's arrival to its departure) goes to the dwell.
      const double stretch = running > 0 ? 1 + spare / running : 1;
      const double per_gap = running > 0 ? 0 : spare / static_cast<double>(to - from);
      for (std::size_t e = from; e + 1 < to; ++e) {
        const gap g = gap_after(points, e);
        time[e + 1] = time[e] + (g.running ? g.shortest_s * stretch : g.shortest_s + per_gap);
      }
    }
    time[to] = *required[to];
  }

  const std::size_t last_anchor = anchors.empty() ? 0 : anchors.back();
  for (std::size_t e = last_anchor; e + 1 < events; ++e) time[e + 1] = time[e] + allowed(e);

  out.points.reserve(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const bool last = i + 1 == points.size();
    const double arrival = i == 0 ? time[0] : time[2 * i - 1];
    const double departure = i == 0 ? time[0] : last ? arrival : time[2 * i];
    out.points.push_back({points[i].name, arrival, departure});
  }
  return out;
}

std::vector<timing_point> timing_points(const running_times& run, std::span<const stop> stops) {
  std::vector<timing_point> points;
  points.reserve(stops.size());
  for (std::size_t i = 0; i < stops.size(); ++i) {
    const stop& s = stops[i];
    const double running = i == 0 ? 0 : run.sections[i - 1].running_s;
    points.push_back({s.name, running, s.dwell_s, s.required_arrival_s, s.required_departure_s});
  }
  return points;
}

}  // namespace scenario::timetable
