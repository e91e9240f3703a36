// Go to definition from a diagnostic that names another entry ("placed by line 12 of the train
// scenario", "(line 40)"): to that entry's position field.
#pragma once

#include <nlohmann/json.hpp>

#include "lsp/document_context.h"

namespace scenario::lsp {

// The locations the diagnostics at `p` point to; null when none does.
nlohmann::json definition(const document_context& c, const text_position& p);

}  // namespace scenario::lsp
