#include "model/diagnostics.h"

#include <algorithm>

#include "model/model.h"

namespace scenario {

std::string describe_code(std::int32_t code) {
  switch (code) {
    case 1:
      return "route length outside 0 .. 1000000 m";
    case 2:
      return "kilometre progressive whose position or value is not a multiple of 50";
    case 3:
      return "first position of the signal repetition is not a multiple of 50";
    case 4:
      return "second position of the signal repetition is not a multiple of 50";
    case 5:
      return "signal repetition key names neither 4 nor 9 codes";
    case 6:
      return "text board on a cell that already holds an object";
    case 7:
      return "code cut point on a cell that already holds an object";
    case 8:
      return "station position is not a multiple of 50";
    case 9:
      return "station length is not a multiple of 100";
    case 10:
      return "too many stations: the station records would reach the text-board records";
    case 11:
      return "no free cell for a code cut marker in front of a signal before a warning board";
    case 12:
      return "no free cell for a code cut marker before a restriction start";
    case 13:
      return "no free cell for a code cut marker inside or after a slow restriction";
    case 15:
      return "position outside the route";
    case 16:
      return "signal on a cell that already holds an object";
    case 17:
      return "restriction warning board on a cell that already holds an object";
    case 18:
      return "restriction start on a cell that already holds an object";
    case 19:
      return "restriction end on a cell that already holds an object, or beyond the route";
    case 20:
      return "restriction approach cells already hold an object";
    case 21:
      return "speed-limit board on a cell that already holds an object";
    case 22:
      return "station area starts less than 350 m after the previous station ends";
    case 24:
      return "station end cell lies at or before cell 1";
    case 25:
      return "unreadable entry: a value does not fit its field, a field is not a number, "
             "or the file ends too early";
    case 101:
      return "line description file not found";
    case 102:
      return "no \"[generale]\" section in the line description file";
    case 103:
      return "curve refused: no class digit 1 to 6 in its key, or the track plan would "
             "pass its last point or 1000000 m";
    case 104:
      return "no \"lunghezza percorso\" before the end of the general section";
    case 105:
      return "more than 80 mountain spans";
    case 106:
      return "more than 81 text boards";
    case 1250:
      return "cell 1 or the route record already holds the scenario marker value";
    case 1251:
      return "cell 1 or the route record already holds an identity code";
    default:
      return "fault " + std::to_string(code);
  }
}

const char* severity_name(severity s) {
  switch (s) {
    case severity::error:
      return "error";
    case severity::warning:
      return "warning";
    case severity::note:
      return "note";
  }
  return "error";
}

const char* source_file_words(source_file f) {
  switch (f) {
    case source_file::line_description:
      return "the line description";
    case source_file::train_scenario:
      return "the train scenario";
    case source_file::none:
      break;
  }
  return "the compiler";
}

void record_fault(compilation& c, const fault& f, source_file file, source_point at, severity sev) {
  c.codice_errore = f.code;
  if (f.position) {
    c.posizione_errore = *f.position;
    c.posizione_impostata = true;
  }
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

std::string object_name(byte_t tipo) {
  switch (tipo) {
    case tipo_cella::nulla:
      return "nothing";
    case tipo_cella::segnale:
      return "a signal";
    case tipo_cella::fine_rallentamento:
      return "a restriction end";
    case tipo_cella::inizio_rallentamento:
      return "a restriction start";
    case tipo_cella::avviso_rallentamento:
      return "a restriction warning board";
    case tipo_cella::preavviso_rallentamento:
      return "a restriction approach cell";
    case tipo_cella::indicatori_v_max:
      return "a speed-limit board";
    case tipo_cella::stazione:
      return "a station end";
    case tipo_cella::montagna:
      return "a scenery mark";
    case tipo_cella::abbattimento:
      return "a code cut point";
    case tipo_cella::abbattimento_nullo:
      return "a null code cut point";
    case tipo_cella::cartello_indicatore:
      return "a text board";
    default:
      return "an object of type " + std::to_string(tipo);
  }
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

void clear_general_records(compilation& c) {
  for (auto& v : c.voci_generali) v = voce_generale{};
}

}  // namespace scenario
