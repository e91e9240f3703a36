#include "tool/json_output.h"

#include "tool/text_encoding.h"

namespace scenario {

nlohmann::json json_text(std::string_view bytes) {
  return utf8_text(bytes);
}

namespace {

void clean_strings(nlohmann::json& value) {
  if (value.is_string())
    value = without_forbidden_characters(value.get_ref<const std::string&>());
  else if (value.is_structured())
    for (nlohmann::json& element : value) clean_strings(element);
}

}  // namespace

std::string json_document(nlohmann::json doc) {
  clean_strings(doc);
  return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

}  // namespace scenario
