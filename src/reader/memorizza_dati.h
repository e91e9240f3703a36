// The reader: compiles the line description and the train scenario into the model.
#pragma once

#include <optional>
#include <string>

#include "model/model.h"

namespace scenario {

// The bytes of the two data files; an absent file is nullopt. The caller owns the files.
struct data_files {
  std::optional<std::string> linea;
  std::optional<std::string> treno;
};

// Reads both files into the model. Faults are left in codice_errore / posizione_errore and in the
// diagnostics, with the file and line of the entry that caused them.
void memorizza_dati(compilation& c, const data_files& files);

}  // namespace scenario
