// Completion of the key field: the section headers of the file, and the keys the reader takes
// where the cursor stands (the general keys or the entries of the line description), those the
// section is for first.
#pragma once

#include <nlohmann/json.hpp>

#include "lsp/document_context.h"

namespace scenario::lsp {

// The completion items at `p`; `snippets` when the client takes snippets, so that a key comes
// with a place for each of its values.
nlohmann::json completion(const document_context& c, const text_position& p, bool snippets);

}  // namespace scenario::lsp
