#include "programs/built_in_run.h"

#include "compiler/compile.h"
#include "content/documents.h"
#include "platform/files.h"
#include "reader/data_file_names.h"

namespace scenario {

int compile_directory(user_interface& ui, const std::string& directory, const std::string& route,
                      const std::string& train, bool with_track_plan) {
  compile_request request;
  request.route = route;
  request.train = train;
  request.with_track_plan = with_track_plan;
  // Names are checked before the data files are read and deleted, so a refusal stops nothing
  // halfway.
  if (const std::optional<std::string> refused = names_fault(request)) {
    ui.warning(*refused);
    return as_int(exit_status::usage_or_file_error);
  }

  // The data files are temporaries: read whole, then gone on every way out.
  const std::string line_path = join_path(directory, line_text_file_name(route));
  const std::string train_path = join_path(directory, train_text_file_name(route, train));
  data_files files;
  files.line_description = read_whole_file(line_path);
  files.train_scenario = read_whole_file(train_path);
  remove_file(line_path);
  remove_file(train_path);

  const compile_result result = compile_pair(request, files);
  switch (result.outcome_verdict) {
    case verdict::name_refused:
      ui.warning(result.refusal);
      break;
    case verdict::data_fault:
    case verdict::nothing_to_write: {
      std::string prompt = error_prompt(result.outcome.reader_code);
      if (result.outcome.reader_position)
        prompt += " - posizione " + std::to_string(*result.outcome.reader_position);
      ui.message_box(prompt);
      break;
    }
    case verdict::guard_failed:
    case verdict::compiled:
      for (const diagnostic& d : result.model->diagnostics) {
        if (d.sev != severity::warning) continue;
        std::string line = "fault " + std::to_string(d.code);
        if (d.position) line += " at " + std::to_string(*d.position) + " m";
        ui.warning(line + ": " + d.message);
      }
      if (result.guard) ui.message_box(error_prompt(result.guard->code));
      write_compiled_files(directory, result.to_write);
      break;
  }
  return as_int(result.status);
}

int run_built_in(user_interface& ui, const std::string& directory) {
  ui.show_notice("Attendere");
  // The text files are not flushed to the disk: the data files are read back and deleted at once,
  // and the documents are written again by every run.
  for (const text_document& doc : built_in_documents(built_in_route, built_in_train))
    replace_file(join_path(directory, doc.file_name), doc.bytes(), {}, flush::none);
  return compile_directory(ui, directory, built_in_route, built_in_train, true);
}

}  // namespace scenario
