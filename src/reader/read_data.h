// The reader: compiles the line description and the train scenario into the model.
#pragma once

#include <optional>
#include <string>

#include "model/model.h"

namespace scenario {

// The bytes of the two data files; an absent file is nullopt. The caller owns the files.
struct data_files {
  std::optional<std::string> line_description;
  std::optional<std::string> train_scenario;
};

// Reads both files into the model. Faults are left in fault_code / fault_position and in the
// diagnostics, with the file and line of the entry that caused them.
void read_data_files(compilation& c, const data_files& files);

}  // namespace scenario
