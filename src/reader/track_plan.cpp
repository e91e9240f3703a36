#include "reader/track_plan.h"

#include <algorithm>
#include <cstdint>

namespace scenario {

namespace {

// Computes points metro .. until, turned by k on a curve, and moves metro past them. Stops after
// point `limit` and returns false if the plan would pass it. The plan keeps the runs; their
// points are generated when the plan is written.
bool run(tracciato_t& plan, long_t& metro, std::int64_t until, bool turning, double k,
         std::int64_t limit) {
  const std::int64_t m = metro;
  if (m > until) return true;
  const bool within = until < limit;
  const std::int64_t last = within ? until : std::max(m, limit);
  plan.extend(last, turning, k);
  metro = static_cast<long_t>(last + 1);
  return within;
}

}  // namespace

std::optional<double> curvature_of(std::string_view key) {
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
  plan.start();
  return 2;
}

bool curve_step(tracciato_t& plan, std::string_view key, long_t start, long_t length,
                long_t& metro) {
  const std::optional<double> k = curvature_of(key);
  if (!k) return false;
  const std::int64_t end = std::int64_t{start} + length;
  if (std::max<std::int64_t>(start, end) > plan.last_index()) return false;
  if (!run(plan, metro, start, false, 0.0, last_plan_metre)) return false;
  return run(plan, metro, end, true, *k, last_plan_metre);
}

void track_plan_tail(tracciato_t& plan, long_t& metro) {
  run(plan, metro, std::int64_t{plan.last_index()} - 2, false, 0.0, INT64_MAX);
}

}  // namespace scenario
