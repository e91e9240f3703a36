#include "timetable/running_time.h"

#include <algorithm>
#include <cmath>

namespace scenario::timetable {

namespace {

constexpr double kmh_per_mps = 3.6;
constexpr double step = static_cast<double>(step_m);

bool positive(double x) {
  return std::isfinite(x) && x > 0;
}

// The train's numbers in SI units, worked out once for the whole run.
struct train_terms {
  double inverse_inertial_mass = 0;  // 1 / (mass factor * total mass), 1/kg
  double weight_n = 0;               // total mass * g
  double adhesive_weight_n = 0;      // locomotive mass * g
  double power_w = 0;
  double max_effort_n = 0;
  double adhesion_base = 0;
  double adhesion_numerator_kmh = 0;
  double adhesion_offset_kmh = 0;
  double davis_a_n = 0;
  double davis_b_n_per_mps = 0;
  double davis_c_n_per_mps2 = 0;
};

train_terms terms_of(const train& t, const running_parameters& p) {
  const double total_t = t.loco.mass_t + t.hauled_mass_t;
  const davis_coefficients& l = p.locomotive_resistance;
  const davis_coefficients& c = p.coach_resistance;
  const double coach_axles = static_cast<double>(t.coaches) * p.coach_axles;
  train_terms k;
  k.inverse_inertial_mass = 1 / (p.mass_factor * total_t * 1000);
  k.weight_n = total_t * 1000 * p.gravity_mps2;
  k.adhesive_weight_n = t.loco.mass_t * 1000 * p.gravity_mps2;
  k.power_w = t.loco.power_kw * 1000;
  k.max_effort_n = t.loco.max_tractive_effort_kn * 1000;
  k.adhesion_base = p.adhesion_base;
  k.adhesion_numerator_kmh = p.adhesion_numerator_kmh;
  k.adhesion_offset_kmh = p.adhesion_offset_kmh;
  // The coaches' terms are linear in mass and axles, so the coaches add up as one vehicle.
  k.davis_a_n = l.a_n_per_t * t.loco.mass_t + l.a_n_per_axle * t.loco.axles +
                c.a_n_per_t * t.hauled_mass_t + c.a_n_per_axle * coach_axles;
  k.davis_b_n_per_mps = l.b_n_per_t_per_mps * t.loco.mass_t + c.b_n_per_t_per_mps * t.hauled_mass_t;
  k.davis_c_n_per_mps2 = l.c_n_per_m2_per_mps2 * p.locomotive_frontal_area_m2 +
                         c.c_n_per_m2_per_mps2 * p.coach_frontal_area_m2 * t.coaches;
  return k;
}

double tractive_effort_n(const train_terms& k, double v) {
  const double mu =
      k.adhesion_base + k.adhesion_numerator_kmh / (v * kmh_per_mps + k.adhesion_offset_kmh);
  const double effort = std::min(k.max_effort_n, mu * k.adhesive_weight_n);
  // Compared as a product, so that standstill needs no division by zero.
  return effort * v > k.power_w ? k.power_w / v : effort;
}

// Acceleration at speed v with full tractive effort; line_n is the gradient and curve resistance.
double acceleration(const train_terms& k, double v, double line_n) {
  const double running_n = k.davis_a_n + (k.davis_b_n_per_mps + k.davis_c_n_per_mps2 * v) * v;
  return (tractive_effort_n(k, v) - running_n - line_n) * k.inverse_inertial_mass;
}

std::optional<run_failure> check_inputs(std::span<const route_cell> cells,
                                        std::span<const stop> stops, const train& t,
                                        const running_parameters& p) {
  if (cells.empty()) return run_failure{run_error::no_route, 0, 0};
  if (stops.size() < 2) return run_failure{run_error::too_few_stops, stops.size(), 0};
  const std::int64_t route_end = static_cast<std::int64_t>(cells.size()) * cell_length_m;
  for (std::size_t i = 0; i < stops.size(); ++i) {
    const stop& s = stops[i];
    const bool in_order = i == 0 || s.position_m > stops[i - 1].position_m;
    if (s.position_m < 0 || s.position_m > route_end || !in_order || !std::isfinite(s.dwell_s) ||
        s.dwell_s < 0) {
      return run_failure{run_error::bad_stop, i, s.position_m};
    }
  }
  const locomotive& l = t.loco;
  if (!positive(l.mass_t) || !positive(l.power_kw) || !positive(l.max_tractive_effort_kn) ||
      l.axles < 0 || !std::isfinite(t.hauled_mass_t) || t.hauled_mass_t < 0 || t.coaches < 0 ||
      !positive(t.braked_mass_percent) || !positive(t.max_speed_kmh)) {
    return run_failure{run_error::bad_train, 0, 0};
  }
  const davis_coefficients* davis[] = {&p.locomotive_resistance, &p.coach_resistance};
  bool davis_ok = true;
  for (const davis_coefficients* d : davis) {
    for (double x : {d->a_n_per_t, d->a_n_per_axle, d->b_n_per_t_per_mps, d->c_n_per_m2_per_mps2}) {
      davis_ok = davis_ok && std::isfinite(x) && x >= 0;
    }
  }
  if (!davis_ok || !positive(p.gravity_mps2) || !positive(p.mass_factor) ||
      !std::isfinite(p.adhesion_base) || !std::isfinite(p.adhesion_numerator_kmh) ||
      !positive(p.adhesion_offset_kmh) || !std::isfinite(p.locomotive_frontal_area_m2) ||
      !std::isfinite(p.coach_frontal_area_m2) || p.coach_axles < 0 ||
      !positive(p.full_braking_mps2_per_percent) || !positive(p.service_deceleration_cap_mps2)) {
    return run_failure{run_error::bad_parameters, 0, 0};
  }
  const std::int64_t first = stops.front().position_m;
  const std::int64_t last = stops.back().position_m;
  for (std::int64_t c = first / cell_length_m; c * cell_length_m < last; ++c) {
    const route_cell& cell = cells[static_cast<std::size_t>(c)];
    const double r = cell.curve_radius_m;
    if (!positive(cell.speed_limit_kmh) || !std::isfinite(cell.gradient_per_mille) ||
        !std::isfinite(r) || (r != 0 && r <= 30)) {
      return run_failure{run_error::bad_cell, static_cast<std::size_t>(c), c * cell_length_m};
    }
  }
  return std::nullopt;
}

}  // namespace

std::string describe(const run_failure& f) {
  const std::string at = std::to_string(f.position_m);
  const std::string index = std::to_string(f.index + 1);
  switch (f.error) {
    case run_error::no_route:
      return "the route has no cells";
    case run_error::too_few_stops:
      return "a run needs a first and a last stop, " + std::to_string(f.index) + " given";
    case run_error::bad_stop:
      return "stop " + index + " at metre " + at +
             " lies outside the route, not after the stop before it, or has a negative dwell";
    case run_error::bad_cell:
      return "the cell at metre " + at +
             " has no speed limit above 0, a gradient that is not a number, or a curve radius of "
             "30 "
             "m or less";
    case run_error::bad_train:
      return "the train needs a locomotive mass, power and tractive effort, a braked-mass "
             "percentage and a maximum speed above 0";
    case run_error::bad_parameters:
      return "a physical parameter of the running-time calculation is out of its range";
    case run_error::stalled:
      return "the train stalls at metre " + at +
             ": its tractive effort does not overcome the resistance there";
  }
  return "unknown running-time failure";
}

double curve_resistance_per_mille(double radius_m) {
  if (radius_m == 0) return 0;
  return radius_m >= 300 ? 650 / (radius_m - 55) : 500 / (radius_m - 30);
}

double service_deceleration_mps2(const train& t, const running_parameters& p) {
  return std::min(t.braked_mass_percent * p.full_braking_mps2_per_percent,
                  p.service_deceleration_cap_mps2);
}

running_times compute_running_times(std::span<const route_cell> cells, std::span<const stop> stops,
                                    const train& t, const running_parameters& p) {
  running_times run;
  if (std::optional<run_failure> f = check_inputs(cells, stops, t, p)) {
    run.failure = f;
    return run;
  }
  const train_terms k = terms_of(t, p);
  const std::int64_t first = stops.front().position_m;
  const std::int64_t last = stops.back().position_m;
  run.start_m = first;
  const std::size_t nodes = static_cast<std::size_t>((last - first) / step_m) + 1;
  const std::size_t first_cell = static_cast<std::size_t>(first / cell_length_m);
  const std::size_t end_cell = static_cast<std::size_t>((last - 1) / cell_length_m) + 1;

  // Per cell of the run: the square of the speed never to exceed, and the gradient and curve
  // resistance.
  std::vector<double> limit_squared(end_cell - first_cell);
  std::vector<double> line_n(end_cell - first_cell);
  const double max_speed = t.max_speed_kmh / kmh_per_mps;
  for (std::size_t c = first_cell; c < end_cell; ++c) {
    const route_cell& cell = cells[c];
    const double v = std::min(cell.speed_limit_kmh / kmh_per_mps, max_speed);
    limit_squared[c - first_cell] = v * v;
    line_n[c - first_cell] =
        k.weight_n * (cell.gradient_per_mille + curve_resistance_per_mille(cell.curve_radius_m)) /
        1000;
  }
  auto cell_of = [&](std::int64_t position) {
    return static_cast<std::size_t>(position / cell_length_m) - first_cell;
  };

  // Backwards: the braking envelope, as speed squared. A node may not exceed the limit of either
  // step it joins (the head meets a lower limit at its board), stands still at a stop, and lies
  // on or under every service-braking curve from the nodes after it. The profile vector holds it
  // until the forward pass overwrites it with the speed of the run.
  const double brake_squared_per_step = 2 * service_deceleration_mps2(t, p) * step;
  std::vector<double>& speed = run.speed_kmh;
  speed.assign(nodes, 0);
  std::size_t next_stop = stops.size() - 1;
  double envelope = 0;
  for (std::size_t i = nodes; i-- > 0;) {
    const std::int64_t x = first + static_cast<std::int64_t>(i) * step_m;
    double cap = 0;
    if (x == stops[next_stop].position_m) {
      if (next_stop > 0) --next_stop;
    } else {
      cap = limit_squared[cell_of(x)];
      if (x % cell_length_m == 0) cap = std::min(cap, limit_squared[cell_of(x - 1)]);
    }
    envelope = std::min(cap, envelope + brake_squared_per_step);
    speed[i] = envelope;
  }

  // Forwards: full effort from each node (Heun's method on v^2 over distance, exact for a constant
  // acceleration), held to the envelope; time per step for v^2 linear over the step.
  std::vector<double>& time = run.time_s;
  time.assign(nodes, 0);
  run.stops.push_back({first, 0, 0});
  next_stop = 1;
  double v0 = 0;
  double clock = 0;
  for (std::size_t i = 0; i + 1 < nodes; ++i) {
    const std::int64_t x = first + static_cast<std::int64_t>(i) * step_m;
    const double line = line_n[cell_of(x)];
    const double a0 = acceleration(k, v0, line);
    const double predicted = v0 * v0 + 2 * a0 * step;
    double u1 = predicted > 0 ? v0 * v0 + (a0 + acceleration(k, std::sqrt(predicted), line)) * step
                              : predicted;
    if (u1 <= 0) {
      run = running_times{};
      run.failure = run_failure{run_error::stalled, 0, x};
      return run;
    }
    u1 = std::min(u1, speed[i + 1]);
    const double v1 = std::sqrt(u1);
    if (v0 + v1 > 0) {
      clock += 2 * step / (v0 + v1);
    } else {
      // Two stops one step apart: accelerate, then brake to a stand within the step.
      const double b = brake_squared_per_step / (2 * step);
      const double peak = std::sqrt(2 * a0 * b * step / (a0 + b));
      clock += 2 * step / peak;
    }
    time[i + 1] = clock;
    speed[i + 1] = v1 * kmh_per_mps;
    v0 = v1;
    if (x + step_m == stops[next_stop].position_m) {
      const std::size_t s = next_stop;
      const bool last_stop = s + 1 == stops.size();
      const double departure = last_stop ? clock : clock + stops[s].dwell_s;
      run.sections.push_back({s - 1, s, clock - run.stops.back().departure_s});
      run.stops.push_back({x + step_m, clock, departure});
      clock = departure;
      if (!last_stop) ++next_stop;
    }
  }
  return run;
}

double time_at(const running_times& run, double position_m) {
  const std::size_t last = run.time_s.size() - 1;
  const double offset = std::clamp(position_m - static_cast<double>(run.start_m), 0.0,
                                   static_cast<double>(last) * step);
  const std::size_t i = std::min(static_cast<std::size_t>(offset / step), last);
  const double s = offset - static_cast<double>(i) * step;
  if (s == 0) return run.time_s[i];
  // Leaving a stop, the clock starts at its departure.
  const std::int64_t x = run.start_m + static_cast<std::int64_t>(i) * step_m;
  double t0 = run.time_s[i];
  const auto at_stop = std::lower_bound(
      run.stops.begin(), run.stops.end(), x,
      [](const stop_time& st, std::int64_t position) { return st.position_m < position; });
  if (at_stop != run.stops.end() && at_stop->position_m == x) t0 = at_stop->departure_s;
  const double v0 = run.speed_kmh[i] / kmh_per_mps;
  const double v1 = run.speed_kmh[i + 1] / kmh_per_mps;
  const double vs = std::sqrt(v0 * v0 + (v1 * v1 - v0 * v0) * s / step);
  if (v0 + vs <= 0) return t0 + (run.time_s[i + 1] - t0) * s / step;
  return t0 + 2 * s / (v0 + vs);
}

}  // namespace scenario::timetable
