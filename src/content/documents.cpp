#include "content/documents.h"

#include "reader/data_file_names.h"

namespace scenario {

std::string text_document::bytes() const {
  std::string out;
  for (std::string_view line : *table) {
    if (line == end_marker) break;
    out.append(line);
    out.append("\r\n");
  }
  return out;
}

std::string notes_file_name(const std::string& route, const std::string& train) {
  return route + "_" + train + "_note.txt";
}

std::string restrictions_file_name(const std::string& route, const std::string& train) {
  return route + "_" + train + "_rallentamenti.txt";
}

std::string timetable_file_name(const std::string& route, const std::string& train) {
  return route + "_" + train + "_scheda_treno.txt";
}

std::vector<text_document> built_in_documents(const std::string& route, const std::string& train) {
  return {
      {line_text_file_name(route), &dati_linea()},
      {train_text_file_name(route, train), &dati_treno()},
      {notes_file_name(route, train), &dati_note()},
      {restrictions_file_name(route, train), &dati_rallentamenti()},
      {timetable_file_name(route, train), &dati_scheda()},
  };
}

}  // namespace scenario
