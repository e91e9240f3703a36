#include "reader/read_data.h"

#include <algorithm>
#include <optional>

#include "model/fault_codes.h"
#include "model/numeric.h"
#include "reader/entry_scan.h"
#include "reader/field_reader.h"
#include "reader/line_description.h"
#include "reader/train_scenario.h"

namespace scenario {

void read_data_files(compilation& c, const data_files& files) {
  c.voci_generali[voce::percorso].nome = c.route_name;
  c.voci_generali[voce::treno].nome = c.train_name;
  if (!files.line_description) {
    record_fault(c, {fault_code::no_line_description, std::nullopt, {}},
                 source_file::line_description, 0);
    return;
  }

  // An entry takes a dozen bytes or more, so the log of entries is sized once, as a rule; what is
  // reserved but not used is never touched. Past a million entries it grows as it must.
  const std::size_t bytes =
      files.line_description->size() + (files.train_scenario ? files.train_scenario->size() : 0);
  c.entries_read.reserve(std::min<std::size_t>(bytes / 12 + 1, 1000000));

  std::optional<field_reader> line_fields;
  std::optional<field_reader> train_fields;
  source_file active = source_file::line_description;
  try {
    line_fields.emplace(*files.line_description);
    const line_reading line = read_line_description(c, *line_fields);
    if (!line.read_train) return;
    active = source_file::train_scenario;
    if (!files.train_scenario) throw reading_failure("train scenario file not found");
    train_fields.emplace(*files.train_scenario);
    read_train_scenario(c, *train_fields, line.next_board_record);
  } catch (const reading_failure& failure) {
    // One handler for the whole reading: the fault goes with the line of the field being read.
    const std::optional<field_reader>& reader =
        active == source_file::line_description ? line_fields : train_fields;
    record_unreadable(c, active, reader ? *reader : field_reader({}), failure);
  }
}

}  // namespace scenario
