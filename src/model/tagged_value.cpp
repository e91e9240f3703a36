#include "model/tagged_value.h"

namespace scenario {

void tracciato_t::resize(std::size_t last_point) {
  resize_elements(2 * (last_point + 1));
}

void tracciato_t::resize_elements(std::size_t n) {
  // Fresh vectors, so that a second sizing loses what the first held.
  kinds_ = zeroed_array<value_kind>(n);
  values_ = zeroed_array<double>(n);
}

}  // namespace scenario
