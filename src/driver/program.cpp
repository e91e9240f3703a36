#include "driver/program.h"

#include "content/documents.h"
#include "driver/files.h"
#include "driver/pipeline.h"
#include "output/compiled_files.h"

namespace scenario {

int compile_directory(user_interface& ui, const std::string& directory, const std::string& route,
                      const std::string& train, long_t j) {
  // Before the data files are read and deleted: a name that cannot be written stops nothing
  // halfway.
  check_names(route, train);
  compilation c;
  c.nome_percorso = route;
  c.nome_treno = train;

  // The data files are temporaries: read whole, then gone on every way out.
  const std::string line_path = join_path(directory, line_text_file_name(route));
  const std::string train_path = join_path(directory, train_text_file_name(route, train));
  data_files files;
  files.linea = read_whole_file(line_path);
  files.treno = read_whole_file(train_path);
  remove_file(line_path);
  remove_file(train_path);

  const compile_outcome outcome = memorizza_percorso(c, j, files);
  if (outcome.reader_code != 0 || !outcome.cells_sized) {
    std::string prompt = errore_prompt(std::to_string(outcome.reader_code));
    if (outcome.reader_position)
      prompt += " - posizione " + std::to_string(*outcome.reader_position);
    ui.message_box(prompt);
    return as_int(exit_status::fault);
  }
  for (const diagnostic& d : c.diagnostics) {
    if (d.sev != severity::warning) continue;
    std::string line = "fault " + std::to_string(d.code);
    if (d.position) line += " at " + std::to_string(*d.position) + " m";
    ui.warning(line + ": " + d.message);
  }
  if (outcome.guard_code != 0) {
    ui.message_box(errore_prompt(std::to_string(outcome.guard_code)));
    return as_int(exit_status::fault);
  }
  for (const output_file& f : compiled_files(c))
    replace_file(join_path(directory, f.name), f.size, f.produce);
  return as_int(exit_status::ok);
}

int form_load(user_interface& ui, const std::string& directory) {
  ui.show_notice("Attendere");
  for (const text_document& doc : built_in_documents(built_in_route, built_in_train))
    replace_file(join_path(directory, doc.file_name), doc.bytes());
  return compile_directory(ui, directory, built_in_route, built_in_train, 1);
}

}  // namespace scenario
