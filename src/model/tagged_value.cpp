#include "model/tagged_value.h"

namespace scenario {

void tracciato_t::resize(std::size_t last_point) {
  resize_elements(2 * (last_point + 1));
}

void tracciato_t::resize_elements(std::size_t n) {
  // Fresh vectors, so that a second sizing loses what the first held.
  kinds_ = std::vector<value_kind>(n, value_kind::empty);
  values_ = std::vector<double>(n, 0.0);
}

}  // namespace scenario
