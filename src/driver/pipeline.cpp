#include "driver/pipeline.h"

#include "checks/identity.h"
#include "checks/spacing.h"

namespace scenario {

compile_outcome memorizza_percorso(compilation& c, long_t j, const data_files& files) {
  c.genera_linea = j;
  c.codice_errore = 0;
  for (c.indice_cella = 0; c.indice_cella < numero_voci_generali; ++c.indice_cella)
    c.voci_generali[static_cast<std::size_t>(c.indice_cella)] = voce_generale{};

  memorizza_dati(c, files);

  compile_outcome outcome;
  outcome.reader_code = c.codice_errore;
  if (outcome.reader_code != 0 && c.posizione_impostata)
    outcome.reader_position = c.posizione_errore;
  // Cell 1 carries the identity code, so a model without it cannot be completed.
  if (c.percorso.size() < 2) {
    outcome.cells_sized = false;
    return outcome;
  }
  run_spacing_pass(c);
  outcome.guard_code = stamp_identity_codes(c);
  return outcome;
}

std::string errore_prompt(const std::string& a) {
  return " Errore n. " + a;
}

}  // namespace scenario
