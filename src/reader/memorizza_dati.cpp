#include "reader/memorizza_dati.h"

#include <algorithm>
#include <optional>

#include "model/numeric.h"
#include "reader/field_reader.h"
#include "reader/line_description.h"
#include "reader/train_scenario.h"

namespace scenario {

void memorizza_dati(compilation& c, const data_files& files) {
  c.voci_generali[voce::percorso].nome = c.nome_percorso;
  c.voci_generali[voce::treno].nome = c.nome_treno;
  if (!files.linea) {
    record_fault(c, {101, std::nullopt, {}}, source_file::line_description, 0);
    return;
  }

  // An entry takes a dozen bytes or more, so the log of entries is sized once, as a rule; what is
  // reserved but not used is never touched. Past a million entries it grows as it must.
  const std::size_t bytes = files.linea->size() + (files.treno ? files.treno->size() : 0);
  c.entries_read.reserve(std::min<std::size_t>(bytes / 12 + 1, 1000000));

  std::optional<field_reader> linea;
  std::optional<field_reader> treno;
  source_file active = source_file::line_description;
  try {
    linea.emplace(*files.linea);
    const line_reading line = read_line_description(c, *linea);
    if (!line.read_train) return;
    active = source_file::train_scenario;
    if (!files.treno) throw reading_failure("train scenario file not found");
    treno.emplace(*files.treno);
    read_train_scenario(c, *treno, line.indice_cartello);
  } catch (const reading_failure& failure) {
    // One handler for the whole reading: the fault goes with the line of the field being read.
    const std::optional<field_reader>& reader =
        active == source_file::line_description ? linea : treno;
    record_fault(c, {25, std::nullopt, "unreadable entry: " + std::string(failure.what())}, active,
                 reader ? reader->where() : source_point{});
  }
}

}  // namespace scenario
