#include "lsp/signature_help.h"

#include "tool/format_reference.h"

namespace scenario::lsp {

nlohmann::json signature_help(const document_context& c, const text_position& p) {
  const source_point at = c.text.point_of(p, c.encoding);
  const line_entry e = c.text.layout().entry(at.line);
  if (e.kind != line_kind::entry || e.formats.empty() || at.column <= e.key.end) return nullptr;

  // The value the cursor is on: the one it stands in, or the next after the separator it stands in.
  std::size_t active = 0;
  for (std::size_t i = 0; i < e.values.size() && e.values[i].line == at.line; ++i) {
    if (at.column <= e.values[i].end) break;
    active = i + 1;
  }
  active = std::min(active, e.formats.size() - 1);

  // One signature for the keys the field holds: their forms side by side.
  std::string label;
  std::string documentation;
  for (const key_format* k : e.keys) {
    label += (label.empty() ? "" : " + ") + std::string(form_key(*k));
    documentation += (documentation.empty() ? "" : "\n") + std::string(k->meaning);
  }
  nlohmann::json parameters = nlohmann::json::array();
  for (const value_format* v : e.formats) {
    label += ", ";
    const std::size_t start = label.size();
    label += v->name;
    std::string words = value_heading(*v) + "\n" + value_details(*v, "");
    parameters.push_back({{"label", {start, label.size()}}, {"documentation", words}});
  }
  nlohmann::json signature = {{"label", label},
                              {"documentation", documentation},
                              {"parameters", parameters},
                              {"activeParameter", active}};
  return {{"signatures", nlohmann::json::array({signature})},
          {"activeSignature", 0},
          {"activeParameter", active}};
}

}  // namespace scenario::lsp
