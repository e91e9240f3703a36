// The language server fed arbitrary bytes as its client's stream: framing, JSON, requests and
// document edits. The first byte chooses the size of the pieces the stream arrives in; the
// pending analyses run between pieces, as the server's loop runs them. Whatever comes, every
// message the server writes must be a frame of valid JSON.
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "lsp/server.h"

namespace {

// A pair on the "disk" beside the documents the client opens, so that analyses find a partner.
const std::map<std::string, std::string> disk = {
    {"/f/F_linea.txt",
     "[generale]\r\nlunghezza percorso, 3000\r\n[curve]\r\npendenza, 0, 2\r\n[fine]\r\n"},
    {"/f/F_T-.txt",
     "[generale]\r\nvelocita, 0, 100\r\nsegnale, 1000, 2,3,1,1,0,2,2,1,1,0\r\n[fine]\r\n"},
};

// Every frame the server wrote must parse.
void check_output(std::string_view out) {
  while (!out.empty()) {
    const std::size_t end = out.find("\r\n\r\n");
    if (end == std::string_view::npos || out.substr(0, 16) != "Content-Length: ") __builtin_trap();
    const std::size_t length = std::stoul(std::string(out.substr(16, end - 16)));
    if (end + 4 + length > out.size()) __builtin_trap();
    if (!nlohmann::json::accept(out.substr(end + 4, length))) __builtin_trap();
    out.remove_prefix(end + 4 + length);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = std::size_t{data[0]} * 16 + 1;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::string out;
  scenario::lsp::server_options options;
  options.largest_document = 1 << 16;
  options.largest_message = 1 << 17;
  options.explanations = "file:///doc/codes.md";
  scenario::lsp::file_access files{[](const std::string& path) -> std::optional<std::string> {
                                     const auto found = disk.find(path);
                                     if (found == disk.end()) return std::nullopt;
                                     return found->second;
                                   },
                                   [](const std::string& folder) {
                                     std::vector<std::string> names;
                                     if (folder == "/f")
                                       for (const auto& [path, bytes] : disk)
                                         names.push_back(path.substr(3));
                                     return names;
                                   }};
  scenario::lsp::server server([&out](std::string_view frame) { out += frame; }, files, options);
  while (!input.empty() && !server.finished()) {
    const std::string_view next = input.substr(0, piece);
    input.remove_prefix(next.size());
    server.receive(next);
    server.analyse_pending();
  }
  server.end_of_input();
  check_output(out);
  return 0;
}
