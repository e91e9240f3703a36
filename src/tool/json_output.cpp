#include "tool/json_output.h"

#include "tool/text_encoding.h"

namespace scenario {

nlohmann::json json_text(std::string_view bytes) {
  return utf8_text(bytes);
}

std::string json_document(const nlohmann::json& doc) {
  return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

}  // namespace scenario
