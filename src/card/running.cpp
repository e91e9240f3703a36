#include "card/running.h"

#include <algorithm>
#include <cmath>

namespace scenario::card {

namespace {

bool holds_a_station(const voce_generale& v) {
  return v.tipo != 0 || v.inizio != 0 || v.fine != 0 || v.posizione != 0 || v.ottetto0 != 0 ||
         v.intero1 != 0 || v.intero2 != 0 || v.intero3 != 0 || v.intero4 != 0 || v.intero5 != 0 ||
         v.ottetto1 != 0 || v.ottetto2 != 0 || v.ottetto3 != 0 || v.ottetto4 != 0 || v.orario != 0;
}

}  // namespace

std::vector<station> stations_of(const tabella_voci& voci) {
  std::vector<station> out;
  for (int k = voce::prima_stazione; k < voce::primo_cartello; ++k) {
    const voce_generale& r = voci[static_cast<std::size_t>(k)];
    if (!holds_a_station(r)) break;
    out.push_back({k, &r});
  }
  return out;
}

bool is_stop(const std::vector<station>& stations, std::size_t i) {
  return i == 0 || i + 1 == stations.size() || stations[i].r->orario != 0;
}

std::vector<double> cell_curvatures(const tracciato_t& plan, std::size_t cells) {
  if (plan.empty()) return {};
  std::vector<double> k(cells, 0.0);
  for (const tracciato_t::run& r : plan.runs()) {
    if (!r.turning || r.k == 0) continue;
    const auto first = static_cast<std::size_t>(r.first / timetable::cell_length_m);
    const auto last = static_cast<std::size_t>(r.last / timetable::cell_length_m);
    for (std::size_t c = first; c <= last && c < cells; ++c) k[c] = std::max(k[c], std::fabs(r.k));
  }
  return k;
}

std::vector<double> cell_curvatures(const track_points& plan, std::size_t cells) {
  std::vector<double> k(cells, 0.0);
  // Below this the turn is rounding in a straight run.
  constexpr double straight = 1e-7;
  const auto known = [&](std::size_t m) {
    return plan.get(m, 0).kind != value_kind::empty && plan.get(m, 1).kind != value_kind::empty;
  };
  for (std::size_t m = 2; m < plan.points(); ++m) {
    if (!known(m) || !known(m - 1) || !known(m - 2)) continue;
    const double ax = plan.x(m - 1) - plan.x(m - 2), ay = plan.y(m - 1) - plan.y(m - 2);
    const double bx = plan.x(m) - plan.x(m - 1), by = plan.y(m) - plan.y(m - 1);
    const double lengths = std::hypot(ax, ay) * std::hypot(bx, by);
    if (!(lengths > 0)) continue;
    const double turn = std::fabs(ax * by - ay * bx) / lengths;
    const std::size_t c = m / static_cast<std::size_t>(timetable::cell_length_m);
    if (c < cells && std::isfinite(turn) && turn > straight) k[c] = std::max(k[c], turn);
  }
  return k;
}

std::vector<timetable::route_cell> route_cells(std::span<const cella> cells,
                                               std::span<const double> curvatures) {
  std::vector<timetable::route_cell> out(cells.size());
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const double k = i < curvatures.size() ? curvatures[i] : 0.0;
    out[i] = {cells[i].velocita_limite * 5.0, static_cast<double>(cells[i].pendenza) - 100.0,
              k > 0 ? 1 / k : 0.0};
  }
  return out;
}

timetable::train train_of(const tabella_voci& voci, const train_data& t) {
  const voce_generale& r = voci[voce::treno_e_percorso];
  timetable::train out;
  out.loco = t.loco;
  out.coaches = std::max<long_t>(r.posizione, 0);
  out.hauled_mass_t = out.coaches * t.coach_mass_t;
  out.braked_mass_percent = r.inizio;
  out.max_speed_kmh = t.max_speed_kmh;
  return out;
}

std::vector<timetable::stop> stops_of(const std::vector<station>& stations, const train_data& t) {
  std::vector<timetable::stop> out;
  for (std::size_t i = 0; i < stations.size(); ++i) {
    if (!is_stop(stations, i)) continue;
    const voce_generale& r = *stations[i].r;
    timetable::stop s;
    s.name = r.nome;
    s.position_m = r.posizione;
    s.dwell_s = t.stop_time_s;
    if (r.orario != 0) {
      if (i + 1 == stations.size() && i != 0)
        s.required_arrival_s = r.orario;
      else
        s.required_departure_s = r.orario;
    }
    out.push_back(std::move(s));
  }
  return out;
}

double card_run::passing_s(long_t x) const {
  const std::vector<timetable::stop_time>& at = pure.stops;
  const std::vector<timetable::scheduled_point>& sched = scheduled.points;
  if (at.empty() || sched.size() != at.size()) return 0;
  if (x <= at.front().position_m) return sched.front().departure_s;
  if (x >= at.back().position_m) return sched.back().arrival_s;
  std::size_t i = 0;
  while (i + 1 < at.size() && at[i + 1].position_m <= x) ++i;
  if (at[i].position_m == x) return sched[i].arrival_s;
  // Between two stops every running time of the section is stretched by one factor.
  const double pure_running = at[i + 1].arrival_s - at[i].departure_s;
  const double running = sched[i + 1].arrival_s - sched[i].departure_s;
  const double factor = pure_running > 0 ? running / pure_running : 1;
  return sched[i].departure_s + (timetable::time_at(pure, x) - at[i].departure_s) * factor;
}

card_run run_of(std::span<const cella> cells, const tabella_voci& voci,
                std::span<const double> curvatures, const train_data& t,
                const timetable::running_parameters& p, const timetable::schedule_parameters& s) {
  card_run run;
  const std::vector<station> stations = stations_of(voci);
  if (stations.size() < 2) {
    run.failure = "a timetable needs a first and a last station; the scenario has " +
                  std::to_string(stations.size());
    return run;
  }
  run.stops = stops_of(stations, t);
  const std::vector<timetable::route_cell> route = route_cells(cells, curvatures);
  run.pure = timetable::compute_running_times(route, run.stops, train_of(voci, t), p);
  if (run.pure.failure) {
    run.failure = timetable::describe(*run.pure.failure);
    return run;
  }
  run.scheduled = timetable::make_schedule(timetable::timing_points(run.pure, run.stops), s);
  // Where a required time cannot be met the schedule keeps it; the card cannot run back in time,
  // so there the train is late: it arrives after its pure running time and stands its full stop.
  std::vector<timetable::scheduled_point>& points = run.scheduled.points;
  for (std::size_t i = 1; i < points.size(); ++i) {
    const double arrival = points[i - 1].departure_s + run.pure.sections[i - 1].running_s;
    points[i].arrival_s = std::max(points[i].arrival_s, arrival);
    const bool last = i + 1 == points.size();
    const double departure = points[i].arrival_s + (last ? 0 : run.stops[i].dwell_s);
    points[i].departure_s = std::max(points[i].departure_s, departure);
  }
  return run;
}

card_run run_of(const compilation& c, const train_data& t, const timetable::running_parameters& p,
                const timetable::schedule_parameters& s) {
  const std::vector<double> k = cell_curvatures(c.tracciato, c.percorso.size());
  return run_of(c.percorso, c.voci_generali, k, t, p, s);
}

}  // namespace scenario::card
