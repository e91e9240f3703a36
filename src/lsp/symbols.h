// The outline of a data file: its sections, and under each the stations, signals and boards by
// position and name, for an editor's outline and its "go to symbol".
#pragma once

#include <nlohmann/json.hpp>

#include "lsp/document_context.h"

namespace scenario::lsp {

// DocumentSymbol objects, nested by section; with `hierarchical` false, SymbolInformation objects
// naming their section as container.
nlohmann::json document_symbols(const document_context& c, bool hierarchical);

}  // namespace scenario::lsp
