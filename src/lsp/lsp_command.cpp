#include "lsp/lsp_command.h"

#include <filesystem>

#include "compiler/exit_status.h"
#include "lsp/server.h"
#include "lsp/uri.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/standard_input.h"
#include "tool/tool_error.h"

namespace scenario {

namespace {

// How long the server waits for a further change before it analyses one: long enough for the
// messages of one edit to arrive together, short beside the analysis itself.
constexpr std::chrono::milliseconds settle_time{5};

// The explanations of the codes, docs/codes.md: installed beside the program, or in the source
// tree a build folder stands in. Empty when neither is there.
std::string explanations_address(const lsp_settings& settings) {
  const std::filesystem::path bin = program_directory();
  for (const std::filesystem::path& candidate :
       {bin / ".." / settings.doc_folder / "codes.md", bin / ".." / ".." / "docs" / "codes.md"}) {
    const std::string path = candidate.lexically_normal().string();
    try {
      if (file_exists(path)) return lsp::uri_from_path(path);
    } catch (const file_error&) {
      // A folder that cannot be searched: no link.
    }
  }
  return {};
}

}  // namespace

int run_lsp(const lsp_settings& settings, std::ostream& out, std::ostream& err) {
  use_binary_standard_streams();
  lsp::file_access files;
  files.read = [](const std::string& path) { return read_whole_file(path); };
  files.list = [](const std::string& folder) { return folder_entries(folder); };
  lsp::server_options options;
  options.version = settings.version;
  options.explanations = explanations_address(settings);
  lsp::server server(
      [&out](std::string_view frame) {
        out.write(frame.data(), static_cast<std::streamsize>(frame.size()));
        out.flush();
      },
      std::move(files), std::move(options));
  const lsp::byte_input input{read_standard_input_some, standard_input_waiting};
  int status = 0;
  try {
    status = lsp::serve(server, input, settle_time);
  } catch (const file_error& e) {
    print_error(err, e.what());
    return as_int(exit_status::usage_or_file_error);
  }
  if (status != 0)
    print_error(err, "the client ended without asking the server to shut down first");
  return status;
}

}  // namespace scenario
