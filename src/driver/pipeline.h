// The compile driver: clears the model, reads, completes the signalling and stamps the codes.
#pragma once

#include <optional>
#include <string>

#include "model/model.h"
#include "reader/memorizza_dati.h"

namespace scenario {

struct compile_outcome {
  long_t reader_code = 0;                 // code left by the reader, 0 when it read cleanly
  std::optional<long_t> reader_position;  // posizione_errore, when a fault has set it
  bool cells_sized = true;                // false when the reading stopped before sizing the cells
  long_t guard_code = 0;                  // 1250 / 1251 when a guard check failed
};

// Compiles the two data files into `c` (route and train names already set). `j` nonzero builds the
// track plan. Runs the spacing pass and the identity codes even after a reader fault, as long as
// the cells exist; the caller decides whether such a model is written.
compile_outcome memorizza_percorso(compilation& c, long_t j, const data_files& files);

// " Errore n. " followed by the number, the prompt of the error message.
std::string errore_prompt(const std::string& a);

}  // namespace scenario
