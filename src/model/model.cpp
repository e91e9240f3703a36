#include "model/model.h"

#include <algorithm>

#include "model/fault_codes.h"

namespace scenario {

void record_fault(compilation& c, const fault& f, source_file file, source_point at, severity sev) {
  c.fault_code = f.code;
  if (f.position) c.fault_position = *f.position;
  const source_point where = f.at ? *f.at : at;
  c.diagnostics.push_back({f.code, f.position, sev, file, where.line,
                           f.message.empty() ? describe_code(f.code) : f.message, where.column});
}

void record_fault(compilation& c, const fault& f, source_file file, int line, severity sev) {
  record_fault(c, f, file, source_point{line, 0}, sev);
}

void begin_placing_step(compilation& c, std::string step) {
  c.placing_steps.push_back(std::move(step));
  c.current_origin =
      placement_origin::step_base - static_cast<std::int32_t>(c.placing_steps.size() - 1);
}

void note_placement(compilation& c, std::int64_t cell) {
  if (cell < 0) return;
  const auto at = static_cast<std::size_t>(cell);
  if (at >= c.cell_origins.size())
    c.cell_origins.resize(std::max(at + 1, c.percorso.size()), placement_origin::none);
  c.cell_origins[at] = c.current_origin;
}

std::optional<cell_origin> origin_of(const compilation& c, std::int64_t cell) {
  if (cell < 0 || static_cast<std::size_t>(cell) >= c.cell_origins.size()) return std::nullopt;
  const std::int32_t code = c.cell_origins[static_cast<std::size_t>(cell)];
  if (code == placement_origin::none) return std::nullopt;
  if (code == placement_origin::unknown) return cell_origin{};
  if (code >= 0) {
    const read_entry& e = c.entries_read[static_cast<std::size_t>(code)];
    return cell_origin{e.file, e.at, {}};
  }
  return cell_origin{source_file::none,
                     {},
                     c.placing_steps[static_cast<std::size_t>(placement_origin::step_base - code)]};
}

std::string placed_by(const compilation& c, std::int64_t cell) {
  const std::optional<cell_origin> found = origin_of(c, cell);
  if (!found) return {};
  const cell_origin& o = *found;
  if (!o.step.empty()) return "placed by " + o.step;
  if (o.file == source_file::none) return {};
  return "placed by line " + std::to_string(o.at.line) + " of " + source_file_words(o.file);
}

std::string cell_words(std::int64_t cell) {
  return "cell " + std::to_string(cell) + " (metres " + std::to_string(cell * 50) + " to " +
         std::to_string(cell * 50 + 49) + ")";
}

std::string occupant(const compilation& c, std::int64_t cell) {
  if (cell < 0 || cell > c.upper_bound()) return cell_words(cell) + " lies outside the route";
  std::string text = cell_words(cell) + " already holds " +
                     object_name(c.percorso[static_cast<std::size_t>(cell)].tipo);
  const std::string by = placed_by(c, cell);
  if (!by.empty()) text += ", " + by;
  return text;
}

}  // namespace scenario
