#include "reader/text_boards.h"

#include <cstdint>

#include "model/fault_codes.h"
#include "model/numeric.h"
#include "reader/entry_scan.h"

namespace scenario {

std::optional<fault> place_text_board(compilation& c, const cartello_entry& e, long_t& record) {
  const long_t p = e.posizione;
  if (p < 0 || c.upper_bound() < (p + 100.0) / 50.0)
    return outside_route_fault(c, "text board", p, 100);
  // Record 0 takes the 81st board; there is no record for an 82nd.
  if (record < 0)
    return fault{fault_code::too_many_text_boards, p,
                 "text board at " + std::to_string(p) +
                     " m is the 82nd: the general records hold at most 81 board texts; "
                     "remove a board"};
  begin_entry(c, source_file::line_description, "text board", p, e.at);
  const auto index = static_cast<std::int64_t>(nearest(p / 50.0 + 1));
  cella& cell = c.percorso[static_cast<std::size_t>(index)];
  if (!is_free(cell))
    return fault{fault_code::text_board_taken, p,
                 "text board at " + std::to_string(p) + " m: " + occupant(c, index) +
                     "; move one of the two by 50 m or more"};
  note_placement(c, index);
  cell.tipo = tipo_cella::cartello_indicatore;
  cell.valore1 = static_cast<integer_t>(record);
  c.voci_generali[static_cast<std::size_t>(record)].nome = e.testo;
  --record;
  return std::nullopt;
}

}  // namespace scenario
