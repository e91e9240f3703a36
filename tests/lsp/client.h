// A client for the language server in memory: it frames messages, feeds them to the server and
// reads back what the server wrote; the files beside the documents are a map of paths to bytes.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lsp/server.h"

namespace scenario::test_support {

class lsp_client {
 public:
  // Paths to bytes: the files on the "disk".
  using disk = std::map<std::string, std::string>;

  explicit lsp_client(disk files = {}, lsp::server_options options = test_options());

  static lsp::server_options test_options();

  // Sends the bytes as they are, and the frame of a message.
  void send_raw(std::string_view bytes);
  void send(const nlohmann::json& message);

  // A request, answered at once; the response.
  nlohmann::json request(const std::string& method, nlohmann::json params);
  void notify(const std::string& method, nlohmann::json params);

  // initialize (with the capabilities given) and initialized; the result.
  nlohmann::json initialize(nlohmann::json capabilities = nlohmann::json::object());

  void open(const std::string& uri, const std::string& text, int version = 1);
  // Analyses what is pending; the diagnostics then published, by URI (the last of each).
  std::map<std::string, nlohmann::json> published();

  // Every message the server wrote since the last call, in order.
  std::vector<nlohmann::json> messages();

  lsp::server& server() { return server_; }
  disk& files() { return disk_; }

 private:
  disk disk_;
  std::string output_;
  lsp::server server_;
  int next_id_ = 1;
};

// The URI of a file in the test's folder "/data".
std::string data_uri(const std::string& name);
std::string data_path(const std::string& name);

// The parameters of a request at a position of a document.
nlohmann::json at(const std::string& uri, int line, int character);

}  // namespace scenario::test_support
