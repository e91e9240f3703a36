// Signature help: the entry's form, with the value the cursor is on marked.
#pragma once

#include <nlohmann/json.hpp>

#include "lsp/document_context.h"

namespace scenario::lsp {

// The signature help at `p`, or null outside an entry's values.
nlohmann::json signature_help(const document_context& c, const text_position& p);

}  // namespace scenario::lsp
