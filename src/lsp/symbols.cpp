#include "lsp/symbols.h"

#include <optional>

#include "tool/text_encoding.h"

namespace scenario::lsp {

namespace {

// The protocol's kinds of symbol.
constexpr int namespace_symbol = 3;
constexpr int class_symbol = 5;
constexpr int constant_symbol = 14;
constexpr int string_symbol = 15;
constexpr int event_symbol = 24;

struct symbol {
  std::string name;
  std::string detail;
  int kind = 0;
  text_range range;
  text_range selection;
  std::vector<symbol> children;
};

text_range line_range(const document_context& c, int line) {
  const std::string_view text = c.text.layout().line(line);
  return c.text.range_of(line, 1, static_cast<int>(text.size()) + 1, c.encoding);
}

// The value named `name` read on the entry's own line.
const field_span* value_named(const line_entry& e, std::string_view name, int line) {
  for (std::size_t i = 0; i < e.values.size() && i < e.formats.size(); ++i)
    if (e.formats[i]->name == name && e.values[i].line == line) return &e.values[i];
  return nullptr;
}

std::string shown(std::string_view bytes) {
  return without_forbidden_characters(utf8_from_cp1252(bytes));
}

// The symbol of an entry that has one: a station by its name, a text board by its text, a signal
// and a speed-limit board by their position.
std::optional<symbol> entry_symbol(const document_context& c, const line_entry& e, int line) {
  const std::string_view key = e.keys.front()->name;
  const field_span* position = value_named(e, "posizione", line);
  const std::string at = position ? "at " + shown(position->text) + " m" : std::string();
  const field_span* named = nullptr;
  int kind = 0;
  if (key == "stazione") {
    named = value_named(e, "nome", line);
    kind = class_symbol;
  } else if (key == "cartello_indicatore") {
    named = value_named(e, "testo", line);
    kind = string_symbol;
  } else if (key == "segnale") {
    kind = event_symbol;
  } else if (key == "indicatori_vmax") {
    kind = constant_symbol;
  } else {
    return std::nullopt;
  }
  symbol s;
  s.kind = kind;
  s.range = line_range(c, line);
  const field_span* chosen = named && !named->text.empty() ? named : position;
  s.selection = chosen ? field_range(c, *chosen) : field_range(c, e.key);
  if (named && !named->text.empty()) {
    s.name = shown(named->text);
    s.detail = std::string(key) + (at.empty() ? "" : " " + at);
  } else {
    s.name = std::string(key) + (at.empty() ? "" : " " + at);
  }
  return s;
}

nlohmann::json document_symbol_json(const symbol& s) {
  nlohmann::json j = {{"name", s.name},
                      {"kind", s.kind},
                      {"range", range_json(s.range)},
                      {"selectionRange", range_json(s.selection)}};
  if (!s.detail.empty()) j["detail"] = s.detail;
  if (!s.children.empty()) {
    j["children"] = nlohmann::json::array();
    for (const symbol& child : s.children) j["children"].push_back(document_symbol_json(child));
  }
  return j;
}

void flat_json(const document_context& c, const symbol& s, const std::string& container,
               nlohmann::json& out) {
  nlohmann::json j = {{"name", s.name},
                      {"kind", s.kind},
                      {"location", {{"uri", c.uri}, {"range", range_json(s.range)}}}};
  if (!container.empty()) j["containerName"] = container;
  out.push_back(std::move(j));
  for (const symbol& child : s.children) flat_json(c, child, s.name, out);
}

}  // namespace

nlohmann::json document_symbols(const document_context& c, bool hierarchical) {
  const file_layout& layout = c.text.layout();
  std::vector<symbol> top;
  symbol* section = nullptr;
  int last_line = 0;  // the last line with anything on it, which a section's range runs to
  auto close_section = [&] {
    if (section && last_line >= section->range.start.line + 1)
      section->range.end = line_range(c, last_line).end;
  };
  for (int n = std::max(layout.general_line(), 1); n <= layout.line_count(); ++n) {
    const line_entry e = layout.entry(n);
    const bool opening = n == layout.general_line();
    if (e.kind == line_kind::blank) continue;
    if (e.kind == line_kind::header || opening) {
      close_section();
      symbol s;
      const std::string_view text = layout.line(n);
      const std::size_t a = text.find('['), b = text.find(']', a == std::string_view::npos ? 0 : a);
      s.name = a != std::string_view::npos && b != std::string_view::npos
                   ? shown(text.substr(a, b - a + 1))
                   : shown(text);
      if (s.name.find_first_not_of(" \t") == std::string::npos) s.name = "[?]";
      s.kind = namespace_symbol;
      s.range = line_range(c, n);
      s.selection = s.range;
      if (a != std::string_view::npos && b != std::string_view::npos)
        s.selection =
            c.text.range_of(n, static_cast<int>(a) + 1, static_cast<int>(b) + 2, c.encoding);
      top.push_back(std::move(s));
      section = &top.back();
      last_line = n;
      continue;
    }
    last_line = n;
    if (e.kind != line_kind::entry) continue;
    if (std::optional<symbol> s = entry_symbol(c, e, n)) {
      if (section) {
        section->children.push_back(std::move(*s));
      } else {
        top.push_back(std::move(*s));
      }
    }
  }
  close_section();
  nlohmann::json out = nlohmann::json::array();
  for (const symbol& s : top) {
    if (hierarchical) {
      out.push_back(document_symbol_json(s));
    } else {
      flat_json(c, s, "", out);
    }
  }
  return out;
}

}  // namespace scenario::lsp
