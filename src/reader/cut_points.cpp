#include "reader/cut_points.h"

#include <cstdint>
#include <string>

#include "model/fault_codes.h"
#include "model/numeric.h"

namespace scenario {

std::optional<fault> place_cut_point(compilation& c, const abbattimento_entry& e) {
  const long_t p = e.posizione;
  const auto i = static_cast<std::int64_t>(nearest(p / 50.0));
  if (i < 0 || i > c.upper_bound() || !is_free(c.percorso[static_cast<std::size_t>(i)])) {
    return fault{fault_code::cut_point_taken, p,
                 "code cut point at " + std::to_string(p) + " m: " + occupant(c, i) +
                     "; move one of the two by 50 m or more"};
  }
  note_placement(c, i);
  cella& cell = c.percorso[static_cast<std::size_t>(i)];
  if (e.valore > 0) {
    cell.tipo = tipo_cella::abbattimento;
    cell.valore1 = low_16(e.valore);
  } else {
    cell.tipo = tipo_cella::abbattimento_nullo;
  }
  return std::nullopt;
}

}  // namespace scenario
