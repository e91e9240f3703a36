// The built-in text files: the two data files and the three documents for the driver.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// A document's text as a table of constant lines, filled from slot 0 with no gaps and closed by the
// end marker; the slots after the marker stay empty and are never looked at.
inline constexpr std::size_t line_table_capacity = 1001;
using line_table = std::array<std::string_view, line_table_capacity>;
inline constexpr std::string_view end_marker = "riferimento fine del file";

// The number of lines before the end marker, or line_table_capacity when the table has none (a
// table without its marker is caught at compile time by the static_asserts beside each table).
constexpr std::size_t table_length(const line_table& table) {
  for (std::size_t i = 0; i < table.size(); ++i)
    if (table[i] == end_marker) return i;
  return table.size();
}

struct text_document {
  std::string file_name;
  const line_table* table;

  // The lines before the end marker, each followed by CR LF.
  std::string bytes() const;
};

// The route and the train that this build carries.
inline constexpr const char* built_in_route = "Roma_Pisa";
inline constexpr const char* built_in_train = "EXPR 368";

// The five tables, one per document.
const line_table& dati_linea();          // line description (the route)
const line_table& dati_treno();          // train scenario
const line_table& dati_note();           // scenario notes
const line_table& dati_rallentamenti();  // speed-restriction order form
const line_table& dati_scheda();         // timetable card

// The names of the three documents.
std::string notes_file_name(const std::string& route, const std::string& train);
std::string restrictions_file_name(const std::string& route, const std::string& train);
std::string timetable_file_name(const std::string& route, const std::string& train);

// The documents in the order the program writes them: line description, train scenario, notes,
// restriction order form, timetable card. Only the file names depend on the route and train names.
std::vector<text_document> built_in_documents(const std::string& route, const std::string& train);

}  // namespace scenario
