#include "checks/identity.h"

#include "model/fault_codes.h"

namespace scenario {

namespace {

constexpr std::string_view filler = "aabbccddeeffgghhiillmmnnoo";
constexpr std::size_t code_length = 25;

unsigned char lower_cp1252(unsigned char ch) {
  if ((ch >= 'A' && ch <= 'Z') || (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7)) return ch + 0x20;
  switch (ch) {
    case 0x8A:
      return 0x9A;  // S caron
    case 0x8C:
      return 0x9C;  // OE ligature
    case 0x8E:
      return 0x9E;  // Z caron
    case 0x9F:
      return 0xFF;  // Y diaeresis
    default:
      return ch;
  }
}

// Train name, route name, lower-cased, then the filler: always at least 25 characters.
std::string working_string(const tabella_voci& voci) {
  return to_lower_cp1252(voci[voce::treno].nome + voci[voce::percorso].nome) + std::string(filler);
}

}  // namespace

std::string to_lower_cp1252(std::string s) {
  for (char& ch : s) ch = static_cast<char>(lower_cp1252(static_cast<unsigned char>(ch)));
  return s;
}

tagged_value plain_identity_code(const tabella_voci& voci) {
  const std::string text = working_string(voci);
  long sum = 0;
  for (std::size_t i = 0; i < code_length; ++i) sum += static_cast<unsigned char>(text[i]);
  return tagged_value::integer(static_cast<integer_t>(sum));  // at most 6375
}

tagged_value weighted_identity_code(const tabella_voci& voci) {
  const std::string text = working_string(voci);
  long sum = 0;
  for (std::size_t i = 0; i < code_length; ++i)
    sum += static_cast<long>(i + 1) * static_cast<unsigned char>(text[i]);
  return tagged_value::long_(static_cast<long_t>(sum));  // at most 82875
}

long_t stamp_identity_codes(compilation& c) {
  voce_generale& route = c.voci_generali[voce::percorso];
  cella& first = c.percorso.at(1);
  if (route.intero1 != 0 || first.valore1 != 0) return fault_code::scenario_marker_taken;
  route.intero1 = route_record_marker;
  first.valore1 = cell_marker;
  if (route.orario != 0 || first.valore2 != 0) return fault_code::identity_code_taken;
  route.orario = static_cast<long_t>(weighted_identity_code(c.voci_generali).value);
  first.valore2 = static_cast<integer_t>(plain_identity_code(c.voci_generali).value);
  return 0;
}

diagnostic guard_diagnostic(const compilation& c, long_t code) {
  diagnostic d;
  d.code = code;
  d.sev = severity::error;
  const voce_generale& route = c.voci_generali[voce::percorso];
  const bool record_taken =
      code == fault_code::scenario_marker_taken ? route.intero1 != 0 : route.orario != 0;
  if (record_taken) {
    d.message = "the route record (record 85) already holds " +
                std::to_string(code == fault_code::scenario_marker_taken ? long_t{route.intero1}
                                                                         : route.orario) +
                " in its " +
                (code == fault_code::scenario_marker_taken ? "first Integer" : "time") +
                " field, where the scenario's stamp goes; no entry should write that record";
    return d;
  }
  const cella& first = c.percorso.at(1);
  const std::string value = code == fault_code::scenario_marker_taken
                                ? "first value " + std::to_string(first.valore1)
                                : "second value " + std::to_string(first.valore2);
  d.message = cell_words(1) + ", where the scenario's stamp lives, already holds " +
              object_name(first.tipo) + " with " + value;
  const std::optional<cell_origin> found = origin_of(c, 1);
  if (!found) {
    d.message += "; nothing may stand in cell 1";
    return d;
  }
  const cell_origin& o = *found;
  if (!o.step.empty()) {
    d.message += ", placed by " + o.step +
                 "; move the objects around it so that the marker goes to a later cell";
  } else {
    d.message += ", placed by this entry; move it 50 m or more further along";
    d.file = o.file;
    d.line = o.at.line;
    d.column = o.at.column;
  }
  return d;
}

}  // namespace scenario
