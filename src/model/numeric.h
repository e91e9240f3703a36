// Rounding and the checked narrowing of whole numbers into the model's widths.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace scenario {

// A failure of the reading itself: a value that does not fit, a field that is not a number, a read
// past the end. The reader turns it into code 25.
class reading_failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole number nearest to x, halves going to the even neighbour (2.5 -> 2, 3.5 -> 4).
// Relies on the default rounding mode, which the program never changes.
inline double nearest(double x) {
  return std::nearbyint(x);
}

inline std::string format_whole(double v) {
  if (std::fabs(v) < 1e18) return std::to_string(static_cast<long long>(v));
  return std::to_string(v);
}

// Stores a whole value into the width T, or fails the reading when it does not fit.
template <class T>
T checked(double whole) {
  if (!(whole >= double(std::numeric_limits<T>::min()) &&
        whole <= double(std::numeric_limits<T>::max())))
    throw reading_failure("value " + format_whole(whole) + " does not fit its field");
  return static_cast<T>(whole);
}

template <class T>
T nearest_as(double x) {
  return checked<T>(nearest(x));
}

// The low 8 / 16 bits of a whole number, as stored where no overflow is raised.
inline std::uint8_t low_byte(std::int64_t v) {
  return static_cast<std::uint8_t>(v & 0xFF);
}
inline std::int16_t low_16(std::int64_t v) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF));
}

}  // namespace scenario
