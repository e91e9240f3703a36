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

  // About one entry a line: the log of entries is sized once, as a rule.
  std::size_t lines = std::count(files.linea->begin(), files.linea->end(), '\n');
  if (files.treno) lines += std::count(files.treno->begin(), files.treno->end(), '\n');
  c.entries_read.reserve(lines + 1);

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
