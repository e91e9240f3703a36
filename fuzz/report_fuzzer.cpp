// The tool's report path: names, paths and fields of arbitrary bytes through the text and JSON
// diagnostics. Every JSON document must parse back.
#include <nlohmann/json.hpp>
#include <string_view>
#include <vector>

#include "compiler/compile.h"
#include "fuzz_target.h"
#include "output/compiled_files.h"
#include "tool/diagnostic_format.h"
#include "tool/json_output.h"
#include "tool/text_encoding.h"

namespace {

// Up to `n` pieces separated by NUL bytes; the last piece keeps the rest.
std::vector<std::string> pieces(std::string_view input, std::size_t n) {
  std::vector<std::string> out;
  while (out.size() + 1 < n) {
    const std::size_t nul = input.find('\0');
    if (nul == std::string_view::npos) break;
    out.emplace_back(input.substr(0, nul));
    input.remove_prefix(nul + 1);
  }
  out.emplace_back(input);
  out.resize(n);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // line path, train path, route name, train name, line description, train scenario
  const std::vector<std::string> p = pieces({reinterpret_cast<const char*>(data), size}, 6);
  scenario::compilation c;
  c.route_name = p[2];
  c.train_name = p[3];
  if (scenario::name_fault("route", p[2]) || scenario::name_fault("train", p[3])) {
    c.route_name = "R";
    c.train_name = "T";
  }
  scenario::compile_scenario(c, 0, {p[4], p[5]});

  const scenario::source_names names{p[0], p[1]};
  nlohmann::json doc;
  doc["files"] = nlohmann::json::array({scenario::json_text(p[2]), scenario::json_text(p[3])});
  doc["diagnostics"] = nlohmann::json::array();
  for (const scenario::diagnostic& d : c.diagnostics) {
    (void)scenario::format_diagnostic(d, names);
    // With the quoted line and caret too: any line and column a diagnostic carries must be safe.
    (void)scenario::format_diagnostic(d, names, {&p[4], &p[5]}, {true, true});
    doc["diagnostics"].push_back(scenario::diagnostic_json(d, names));
  }
  doc["error"] = scenario::json_text(p[0] + p[1]);
  const std::string text = scenario::json_document(doc);
  if (!nlohmann::json::accept(text)) __builtin_trap();
  if (!scenario::is_utf8(scenario::utf8_text(p[2]))) __builtin_trap();
  return 0;
}
