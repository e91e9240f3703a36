#include "reader/track_plan.h"

#include <algorithm>
#include <cstdint>

namespace scenario {

namespace {

// Each step repeats the previous one, turned by k on a curve. The two previous points
// are carried in locals so the loop reads nothing back from the plan. The order of operations is
// fixed: the plan must come out the same to the bit on every build.
// Returns false when the plan passes `limit`.
template <bool turning>
bool run(tracciato_t& plan, long_t& metro, std::int64_t until, double k, std::int64_t limit) {
  std::int64_t m = metro;
  if (m > until) return true;
  double x0 = plan.x(static_cast<std::size_t>(m - 2)), y0 = plan.y(static_cast<std::size_t>(m - 2));
  double x1 = plan.x(static_cast<std::size_t>(m - 1)), y1 = plan.y(static_cast<std::size_t>(m - 1));
  bool within = true;
  while (m <= until) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    double x2, y2;
    if constexpr (turning) {
      x2 = x1 + (dx + k * dy);
      y2 = y1 + (dy - k * dx);
    } else {
      x2 = x1 + dx;
      y2 = y1 + dy;
    }
    plan.set_point(static_cast<std::size_t>(m), x2, y2);
    x0 = x1;
    y0 = y1;
    x1 = x2;
    y1 = y2;
    ++m;
    if (m > limit) {
      within = false;
      break;
    }
  }
  metro = static_cast<long_t>(m);
  return within;
}

}  // namespace

std::optional<double> curvatura(std::string_view key) {
  static constexpr struct {
    char digit;
    double k;
  } classes[] = {{'1', 0.0001}, {'2', 0.0002}, {'3', 0.0004},
                 {'4', 0.001},  {'5', 0.002},  {'6', 0.003}};
  for (const auto& cls : classes) {
    if (key.find(cls.digit) == std::string_view::npos) continue;
    const bool negative = key.find_first_of("sS") != std::string_view::npos;
    return negative ? -cls.k : cls.k;
  }
  return std::nullopt;
}

long_t start_track_plan(tracciato_t& plan) {
  plan.set(0, 0, tagged_value::integer(0));
  plan.set(0, 1, tagged_value::integer(0));
  plan.set(1, 0, tagged_value::integer(0));
  plan.set(1, 1, tagged_value::integer(1));
  return 2;
}

bool curve_step(tracciato_t& plan, std::string_view key, long_t start, long_t length,
                long_t& metro) {
  const std::optional<double> k = curvatura(key);
  if (!k) return false;
  const std::int64_t end = std::int64_t{start} + length;
  if (std::max<std::int64_t>(start, end) > plan.last_index()) return false;
  if (!run<false>(plan, metro, start, 0.0, ultimo_metro_tracciato)) return false;
  return run<true>(plan, metro, end, *k, ultimo_metro_tracciato);
}

void track_plan_tail(tracciato_t& plan, long_t& metro) {
  run<false>(plan, metro, std::int64_t{plan.last_index()} - 2, 0.0, INT64_MAX);
}

}  // namespace scenario
