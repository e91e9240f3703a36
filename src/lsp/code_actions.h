// Quick fixes for the diagnostics that know their remedy: the key a misspelling meant, a decimal
// comma written as a point, a place for each missing value, a byte order mark removed.
#pragma once

#include <nlohmann/json.hpp>

#include "lsp/document_context.h"

namespace scenario::lsp {

// The code actions for the document's diagnostics that touch `range`.
nlohmann::json code_actions(const document_context& c, const text_range& range);

}  // namespace scenario::lsp
