// Values that carry their type with them, and the two-column track plan built of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/zeroed_array.h"

namespace scenario {

// The tag numbers are those written before each value in the line geometry file.
enum class value_kind : std::uint8_t { empty = 0, integer = 2, long_ = 3, double_ = 5 };

struct tagged_value {
  value_kind kind = value_kind::empty;
  double value = 0.0;  // exact for Integer and Long too

  static tagged_value integer(std::int16_t v) { return {value_kind::integer, double(v)}; }
  static tagged_value long_(std::int32_t v) { return {value_kind::long_, double(v)}; }
  static tagged_value double_(double v) { return {value_kind::double_, v}; }

  friend bool operator==(const tagged_value&, const tagged_value&) = default;
};

// Every element of a two-column plan, as a line geometry file holds them: points 0 .. N, two
// coordinates each, any tag anywhere. The decoders and tools read files into it. Held as parallel
// arrays of kinds and values (9 bytes an element) that start as zero bits (empty, 0.0) without
// being written.
class track_points {
 public:
  // Re-creates the table with points 0 .. last_point, every element empty.
  void resize(std::size_t last_point);

  bool empty() const { return kinds_.empty(); }
  // All elements in storage order (the file's): first coordinates, then second coordinates.
  std::size_t elements() const { return kinds_.size(); }
  const value_kind* kinds() const { return kinds_.data(); }
  const double* values() const { return values_.data(); }
  std::size_t points() const { return kinds_.size() / 2; }  // N + 1
  long last_index() const { return static_cast<long>(points()) - 1; }

  tagged_value get(std::size_t point, int coordinate) const {
    std::size_t i = index(point, coordinate);
    return {kinds_[i], values_[i]};
  }
  void set(std::size_t point, int coordinate, tagged_value v) {
    std::size_t i = index(point, coordinate);
    kinds_[i] = v.kind;
    values_[i] = v.value;
  }
  double x(std::size_t point) const { return values_[index(point, 0)]; }
  double y(std::size_t point) const { return values_[index(point, 1)]; }
  void set_point(std::size_t point, double x, double y) {
    set(point, 0, tagged_value::double_(x));
    set(point, 1, tagged_value::double_(y));
  }

 private:
  std::size_t index(std::size_t point, int coordinate) const {
    return static_cast<std::size_t>(coordinate) * points() + point;
  }

  zeroed_array<value_kind> kinds_;  // empty is 0
  zeroed_array<double> values_;
};

// The track plan as the reader builds it: points 0 .. N, of which 0 and 1 are the Integers (0, 0)
// and (0, 1) once the plan is started, points 2 .. next_point() - 1 are computed and the rest stay
// empty. Each computed point repeats the step between the two before it, turned by k on a curve, so
// the runs of equal k say all there is: the points are generated, in order, when the plan is
// written or read, and the largest plan never holds its 18 MB in memory.
class tracciato_t {
 public:
  // Points first .. last, straight or turned by k each metre.
  struct run {
    std::int64_t first = 0;
    std::int64_t last = 0;
    bool turning = false;
    double k = 0.0;
  };

  // Re-creates the plan with points 0 .. last_point, every point empty.
  void resize(std::size_t last_point);
  bool empty() const { return points_ == 0; }
  std::size_t points() const { return points_; }  // N + 1
  long last_index() const { return static_cast<long>(points_) - 1; }

  // Points 0 and 1 become (0, 0) and (0, 1); the next point to compute is 2.
  void start();
  bool started() const { return started_; }
  // The first point not yet computed.
  std::int64_t next_point() const { return runs_.empty() ? 2 : runs_.back().last + 1; }
  // Computes points next_point() .. last (within the plan; nothing when last is before them).
  void extend(std::int64_t last, bool turning, double k);
  const std::vector<run>& runs() const { return runs_; }

 private:
  std::size_t points_ = 0;
  bool started_ = false;
  std::vector<run> runs_;
};

// Generates the computed points of a plan in order, from point 2 on, a block at a time. The order
// of operations is fixed: the points come out the same to the bit on every build and every pass.
class computed_points {
 public:
  explicit computed_points(const tracciato_t& plan);
  // Puts the next points, at most n, in xs and ys; returns how many (0 once all are given).
  std::size_t next(double* xs, double* ys, std::size_t n);

 private:
  const std::vector<tracciato_t::run>& runs_;
  std::size_t run_ = 0;
  std::int64_t m_ = 0;  // next point of runs_[run_]
  // The two previous points, starting from points 0 and 1.
  double x0_ = 0.0, y0_ = 0.0, x1_ = 0.0, y1_ = 0.0;
};

// Every element of the plan, computed.
track_points all_points(const tracciato_t& plan);

}  // namespace scenario
