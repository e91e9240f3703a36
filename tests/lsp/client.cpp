#include "client.h"

#include <stdexcept>

#include "lsp/framing.h"
#include "lsp/uri.h"

namespace scenario::test_support {

lsp::server_options lsp_client::test_options() {
  lsp::server_options o;
  o.version = "test";
  o.explanations = "file:///doc/codes.md";
  return o;
}

lsp_client::lsp_client(disk files, lsp::server_options options)
    : disk_(std::move(files)),
      server_([this](std::string_view frame) { output_ += frame; },
              lsp::file_access{[this](const std::string& path) -> std::optional<std::string> {
                                 const auto found = disk_.find(path);
                                 if (found == disk_.end()) return std::nullopt;
                                 return found->second;
                               },
                               [this](const std::string& folder) {
                                 std::vector<std::string> names;
                                 for (const auto& [path, bytes] : disk_)
                                   if (path.rfind(folder + "/", 0) == 0 &&
                                       path.find('/', folder.size() + 1) == std::string::npos)
                                     names.push_back(path.substr(folder.size() + 1));
                                 return names;
                               }},
              std::move(options)) {}

void lsp_client::send_raw(std::string_view bytes) {
  server_.receive(bytes);
}

void lsp_client::send(const nlohmann::json& message) {
  send_raw(lsp::framed(message.dump()));
}

nlohmann::json lsp_client::request(const std::string& method, nlohmann::json params) {
  const int id = next_id_++;
  send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}});
  for (const nlohmann::json& m : messages())
    if (m.contains("id") && m["id"] == id) return m;
  throw std::runtime_error("no response to " + method);
}

void lsp_client::notify(const std::string& method, nlohmann::json params) {
  send({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

nlohmann::json lsp_client::initialize(nlohmann::json capabilities) {
  nlohmann::json result =
      request("initialize", {{"processId", nullptr}, {"capabilities", std::move(capabilities)}});
  notify("initialized", nlohmann::json::object());
  return result;
}

void lsp_client::open(const std::string& uri, const std::string& text, int version) {
  notify("textDocument/didOpen",
         {{"textDocument",
           {{"uri", uri}, {"languageId", "scenario"}, {"version", version}, {"text", text}}}});
}

std::map<std::string, nlohmann::json> lsp_client::published() {
  server_.analyse_pending();
  std::map<std::string, nlohmann::json> out;
  for (const nlohmann::json& m : messages())
    if (m.value("method", "") == "textDocument/publishDiagnostics")
      out[m["params"]["uri"].get<std::string>()] = m["params"];
  return out;
}

std::vector<nlohmann::json> lsp_client::messages() {
  std::vector<nlohmann::json> out;
  std::string_view rest = output_;
  while (!rest.empty()) {
    const std::size_t end = rest.find("\r\n\r\n");
    if (end == std::string_view::npos) throw std::runtime_error("a frame without its header's end");
    const std::string_view header = rest.substr(0, end);
    const std::size_t length = std::stoul(std::string(header.substr(header.find(':') + 1)));
    out.push_back(nlohmann::json::parse(rest.substr(end + 4, length)));
    rest.remove_prefix(end + 4 + length);
  }
  output_.clear();
  return out;
}

std::string data_path(const std::string& name) {
  return "/data/" + name;
}

std::string data_uri(const std::string& name) {
  return lsp::uri_from_path(data_path(name));
}

nlohmann::json at(const std::string& uri, int line, int character) {
  return {{"textDocument", {{"uri", uri}}},
          {"position", {{"line", line}, {"character", character}}}};
}

}  // namespace scenario::test_support
