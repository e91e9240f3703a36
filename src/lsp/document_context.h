// What a request about one document works from: the document's text as the editor now holds it,
// and the last analysis of its pair, which the server brings up to date before a request that
// reads it.
#pragma once

#include <string>

#include "lsp/analysis.h"
#include "lsp/source_text.h"
#include "lsp/text_positions.h"

namespace scenario::lsp {

struct document_context {
  std::string uri;
  const source_text& text;
  position_encoding encoding = position_encoding::utf16;
  const analysis* pair = nullptr;       // null when the document has none
  const analysed_file* file = nullptr;  // the document in `pair`, or null
  std::string explanations;             // the address of the codes' explanations, or empty
};

// The range of a field of the document.
inline text_range field_range(const document_context& c, const field_span& f) {
  return c.text.range_of(f.line, f.start, f.end, c.encoding);
}

}  // namespace scenario::lsp
