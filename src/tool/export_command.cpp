#include "tool/export_command.h"

#include "compiler/exit_status.h"
#include "content/documents.h"
#include "platform/files.h"
#include "tool/tool_error.h"

namespace scenario {

int run_export(const export_options& options, std::ostream& out, std::ostream& err) {
  const std::vector<text_document> documents = built_in_documents(built_in_route, built_in_train);

  try {
    make_directories(options.output_dir);
  } catch (const file_error& e) {
    print_error(err, e.what());
    return as_int(exit_status::usage_or_file_error);
  }
  try {
    if (!options.force) {
      for (const text_document& doc : documents) {
        const std::string path = join_path(options.output_dir, doc.file_name);
        if (file_exists(path)) {
          print_error(
              err,
              "\"" + path + "\" already exists; nothing was written (give --force to replace it)");
          return as_int(exit_status::usage_or_file_error);
        }
      }
    }
    for (const text_document& doc : documents) {
      const std::string path = join_path(options.output_dir, doc.file_name);
      replace_file(path, doc.bytes());
      out << path << '\n';
    }
  } catch (const file_error& e) {
    print_error(err, e.what());
    return as_int(exit_status::usage_or_file_error);
  }
  return as_int(exit_status::ok);
}

}  // namespace scenario
