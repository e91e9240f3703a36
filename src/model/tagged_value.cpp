#include "model/tagged_value.h"

#include <algorithm>

namespace scenario {

void track_points::resize(std::size_t last_point) {
  // Fresh arrays, so that a second sizing loses what the first held.
  const std::size_t n = 2 * (last_point + 1);
  kinds_ = zeroed_array<value_kind>(n);
  values_ = zeroed_array<double>(n);
}

void tracciato_t::resize(std::size_t last_point) {
  points_ = last_point + 1;
  started_ = false;
  runs_.clear();
}

void tracciato_t::start() {
  started_ = true;
  runs_.clear();
}

void tracciato_t::extend(std::int64_t last, bool turning, double k) {
  last = std::min<std::int64_t>(last, last_index());
  const std::int64_t first = next_point();
  if (last < first) return;
  runs_.push_back({first, last, turning, k});
}

computed_points::computed_points(const tracciato_t& plan)
    : runs_(plan.runs()), y1_(plan.started() ? 1.0 : 0.0) {
  if (!runs_.empty()) m_ = runs_.front().first;
}

std::size_t computed_points::next(double* xs, double* ys, std::size_t n) {
  std::size_t done = 0;
  // The state is held in locals so that each step's chain of additions stays in registers.
  double x0 = x0_, y0 = y0_, x1 = x1_, y1 = y1_;
  while (done < n && run_ < runs_.size()) {
    const tracciato_t::run& r = runs_[run_];
    const std::int64_t count =
        std::min<std::int64_t>(r.last - m_ + 1, static_cast<std::int64_t>(n - done));
    const double k = r.k;
    if (r.turning) {
      for (std::int64_t i = 0; i < count; ++i) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double x2 = x1 + (dx + k * dy), y2 = y1 + (dy - k * dx);
        xs[done + i] = x2, ys[done + i] = y2;
        x0 = x1, y0 = y1, x1 = x2, y1 = y2;
      }
    } else {
      for (std::int64_t i = 0; i < count; ++i) {
        const double x2 = x1 + (x1 - x0), y2 = y1 + (y1 - y0);
        xs[done + i] = x2, ys[done + i] = y2;
        x0 = x1, y0 = y1, x1 = x2, y1 = y2;
      }
    }
    done += static_cast<std::size_t>(count);
    m_ += count;
    if (m_ > r.last && ++run_ < runs_.size()) m_ = runs_[run_].first;
  }
  x0_ = x0, y0_ = y0, x1_ = x1, y1_ = y1;
  return done;
}

track_points all_points(const tracciato_t& plan) {
  track_points t;
  if (plan.empty()) return t;
  t.resize(plan.points() - 1);
  if (plan.started()) {
    t.set(0, 0, tagged_value::integer(0));
    t.set(0, 1, tagged_value::integer(0));
    t.set(1, 0, tagged_value::integer(0));
    t.set(1, 1, tagged_value::integer(1));
  }
  computed_points points(plan);
  double x[1024], y[1024];
  std::size_t m = 2;
  while (const std::size_t n = points.next(x, y, 1024))
    for (std::size_t i = 0; i < n; ++i) t.set_point(m++, x[i], y[i]);
  return t;
}

}  // namespace scenario
