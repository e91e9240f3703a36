#include "content/documents.h"

namespace scenario {

std::string text_document::bytes() const {
  std::string out;
  for (std::string_view line : lines) {
    out.append(line);
    out.append("\r\n");
  }
  return out;
}

std::vector<text_document> built_in_documents(const std::string& route, const std::string& train) {
  // The built-in texts are not written yet.
  (void)route;
  (void)train;
  return {};
}

}  // namespace scenario
