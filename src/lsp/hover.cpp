#include "lsp/hover.h"

#include <algorithm>
#include <cmath>

#include "card/kilometres.h"
#include "model/numeric.h"
#include "reader/field_reader.h"
#include "tool/compiled_view.h"
#include "tool/explain_command.h"
#include "tool/format_reference.h"
#include "tool/text_encoding.h"

namespace scenario::lsp {

namespace {

// The cells an entry shows, at most.
constexpr std::size_t most_cells = 8;

bool within(const field_span& f, const source_point& at) {
  return f.line == at.line && at.column >= f.start && at.column <= f.end;
}

std::string cell_line(const compilation& c, std::size_t index) {
  const cella& cell = c.percorso[index];
  std::string s = cell_words(static_cast<std::int64_t>(index));
  s += cell.tipo == tipo_cella::nulla ? " holds no object"
                                      : ": " + describe_object(cell, &c.voci_generali);
  s += "; speed limit " + std::to_string(speed_kmh(cell.velocita_limite)) + " km/h, gradient " +
       std::to_string(gradient_per_mille(cell.pendenza)) + " per mille, adhesion " +
       std::to_string(cell.aderenza);
  return s;
}

// For a route position: its kilometre on the route's progressives, and the cells the entry placed
// (or the cell that holds the metre) with what the compile put in them.
std::string position_words(const document_context& c, const field_span& f, long_t position) {
  if (!c.pair || !c.pair->model || !c.file) return {};
  const compilation& model = *c.pair->model;
  std::string out;
  const std::vector<card::count_change> changes = card::count_changes(model.voci_generali);
  out += "At km " + card::kilometres_text(card::count_at(changes, position)) +
         " of the route's kilometre count.\n";
  if (model.percorso.empty()) return out;

  // The entry whose position field this is, and the cells it placed.
  std::optional<std::int32_t> entry;
  for (std::size_t i = 0; i < model.entries_read.size(); ++i) {
    const read_entry& e = model.entries_read[i];
    if (e.file == c.file->role && e.at.line == f.line && e.at.column == f.start) {
      entry = static_cast<std::int32_t>(i);
      break;
    }
  }
  std::vector<std::size_t> cells;
  if (entry) {
    for (std::size_t k = 0; k < model.cell_origins.size() && k < model.percorso.size(); ++k)
      if (model.cell_origins[k] == *entry) cells.push_back(k);
  }
  if (!cells.empty()) {
    out += cells.size() == 1 ? "The entry placed one cell:\n"
                             : "The entry placed " + std::to_string(cells.size()) + " cells:\n";
    for (std::size_t i = 0; i < cells.size() && i < most_cells; ++i)
      out += "  " + cell_line(model, cells[i]) + "\n";
    if (cells.size() > most_cells)
      out += "  and " + std::to_string(cells.size() - most_cells) + " more\n";
    return out;
  }
  if (position < 0 || position / 50 > model.upper_bound())
    return out + "Metre " + std::to_string(position) + " lies outside the route's cells.\n";
  out += "Metre " + std::to_string(position) + " lies in " +
         cell_line(model, static_cast<std::size_t>(position / 50)) + ".\n";
  return out;
}

std::string value_words(const document_context& c, const line_entry& e, std::size_t i) {
  const value_format& v = *e.formats[i];
  const field_span& f = e.values[i];
  std::string out = value_heading(v) + ": value " + std::to_string(i + 1) + " of " +
                    std::string(e.keys.front()->name) + ", written \"" + utf8_from_cp1252(f.text) +
                    "\"\n\n" + value_details(v, "");
  if (v.route_position) {
    const std::optional<double> number = number_value(f.text);
    if (number && std::fabs(*number) < 2147483647.0) {
      const std::string place = position_words(c, f, static_cast<long_t>(nearest(*number)));
      if (!place.empty()) out += "\n" + place;
    }
  }
  return out;
}

}  // namespace

nlohmann::json hover(const document_context& c, const text_position& p) {
  const source_point at = c.text.point_of(p, c.encoding);
  const file_layout& layout = c.text.layout();
  const line_entry e = layout.entry(at.line);
  std::vector<std::string> parts;
  std::optional<text_range> range;

  if (e.kind == line_kind::header && within(e.key, at)) {
    for (const section_format* s : find_sections(e.key.text.substr(e.key.text.find('['))))
      if (s->file == c.text.role()) parts.push_back(section_reference(*s));
    range = field_range(c, e.key);
  } else if (e.kind == line_kind::entry && within(e.key, at)) {
    for (const key_format* k : e.keys) parts.push_back(key_reference(*k));
    range = field_range(c, e.key);
  } else if (e.kind == line_kind::entry) {
    for (std::size_t i = 0; i < e.values.size(); ++i) {
      if (!within(e.values[i], at)) continue;
      parts.push_back(value_words(c, e, i));
      range = field_range(c, e.values[i]);
      break;
    }
  }
  if (c.file) {
    for (const placed_diagnostic& d : c.file->diagnostics) {
      if (d.what.code == 0 || !d.range.contains(p)) continue;
      if (const std::optional<explanation> x = find_explanation(std::to_string(d.what.code))) {
        const std::string text = explanation_text(*x);
        if (std::find(parts.begin(), parts.end(), text) == parts.end()) parts.push_back(text);
        if (!range) range = d.range;
      }
    }
  }
  if (parts.empty()) return nullptr;
  std::string value;
  for (const std::string& part : parts) value += (value.empty() ? "" : "\n") + part;
  nlohmann::json result = {
      {"contents",
       {{"kind", "plaintext"}, {"value", without_forbidden_characters(utf8_text(value))}}}};
  if (range) result["range"] = range_json(*range);
  return result;
}

}  // namespace scenario::lsp
