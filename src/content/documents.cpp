#include "content/documents.h"

#include "output/compiled_files.h"

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

std::vector<text_document> built_in_documents(const std::string& route, const std::string& train) {
  const std::string prefix = route + "_" + train + "_";
  return {
      {line_text_file_name(route), &dati_linea()},
      {train_text_file_name(route, train), &dati_treno()},
      {prefix + "note.txt", &dati_note()},
      {prefix + "rallentamenti.txt", &dati_rallentamenti()},
      {prefix + "scheda_treno.txt", &dati_scheda()},
  };
}

}  // namespace scenario
