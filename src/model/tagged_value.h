// Values that carry their type with them, and the two-column track plan built of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/zeroed_array.h"

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

// Track plan: points 0 .. N, two coordinates each. Held as parallel arrays of kinds and values
// (9 bytes an element) so that the largest route's two million elements stay small; both start as
// zero bits (empty, 0.0) without being written.
class tracciato_t {
 public:
  // Re-creates the plan with points 0 .. last_point, every element empty.
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
  // Doubles of a computed point, the hot path of the plan.
  double x(std::size_t point) const { return values_[index(point, 0)]; }
  double y(std::size_t point) const { return values_[index(point, 1)]; }
  void set_point(std::size_t point, double x, double y) {
    set(point, 0, tagged_value::double_(x));
    set(point, 1, tagged_value::double_(y));
  }

 private:
  // Storage order is the file's: all first coordinates, then all second coordinates.
  std::size_t index(std::size_t point, int coordinate) const {
    return static_cast<std::size_t>(coordinate) * points() + point;
  }
  void resize_elements(std::size_t n);

  zeroed_array<value_kind> kinds_;  // empty is 0
  zeroed_array<double> values_;
};

}  // namespace scenario
