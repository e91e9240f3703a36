// Hover: on a key, the entry's form and every value's meaning; on a section header, what the
// section holds; on a value, its name, unit, ranges, and for a route position its kilometre and
// the compiled cell it lands on; on a diagnostic's field, the explanation of its code.
#pragma once

#include <nlohmann/json.hpp>

#include "lsp/document_context.h"

namespace scenario::lsp {

// The hover at `p`, or null when there is nothing to say.
nlohmann::json hover(const document_context& c, const text_position& p);

}  // namespace scenario::lsp
