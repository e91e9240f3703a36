#include "model/diagnostics.h"

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

void record_fault(compilation& c, const fault& f, source_file file, int line, severity sev) {
  c.codice_errore = f.code;
  if (f.position) {
    c.posizione_errore = *f.position;
    c.posizione_impostata = true;
  }
  c.diagnostics.push_back(
      {f.code, f.position, sev, file, line, f.message.empty() ? describe_code(f.code) : f.message});
}

void clear_general_records(compilation& c) {
  for (auto& v : c.voci_generali) v = voce_generale{};
}

}  // namespace scenario
