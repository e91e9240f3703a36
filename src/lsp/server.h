// The language server: the protocol's lifecycle, the dispatch of requests and notifications to
// the features, the open documents and the analysis of their pairs. It makes no system call: it
// takes the client's bytes as they come, writes its own through a callback, and reaches the files
// beside a document through `file_access`, so that tests drive it in memory.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "lsp/analysis.h"
#include "lsp/framing.h"

namespace scenario::lsp {

struct server_options {
  std::size_t largest_document;  // a larger document is told of, not analysed
  std::size_t largest_message;   // a larger message is passed over unread
  std::string explanations;      // the address of docs/codes.md, to link each code to; empty: none
  std::string version;           // of the program, for the client's information

  server_options();
};

class server {
 public:
  using writer = std::function<void(std::string_view frame)>;

  server(writer write, file_access files, server_options options = {});

  // Takes bytes from the client in pieces of any size; answers every request they complete.
  // Changes to documents are kept for analyse_pending.
  void receive(std::string_view bytes);

  // Whether a document changed since its pair was last analysed.
  bool analysis_pending() const { return !dirty_.empty(); }

  // Analyses the pair of every changed document and publishes the diagnostics of both files, each
  // with the version of the document it was made from.
  void analyse_pending();

  // The client's input ended, whether or not it said `exit`.
  void end_of_input();

  // `exit` came, or the input ended.
  bool finished() const { return finished_; }

  // 0 when `shutdown` came before the end, else 1, as the protocol asks.
  int exit_status() const { return shut_down_ ? 0 : 1; }

 private:
  void handle(const incoming& message);
  void dispatch(const nlohmann::json& message);
  nlohmann::json answer(const std::string& method, const nlohmann::json& params);
  void notice(const std::string& method, const nlohmann::json& params);
  void send(const nlohmann::json& message);

  nlohmann::json initialize(const nlohmann::json& params);
  void open(const nlohmann::json& params);
  void change(const nlohmann::json& params);
  void close(const nlohmann::json& params);
  void mark_folder(const std::string& uri);
  // Clears the diagnostics of every file no open document's pair holds any more.
  void forget_unheld();
  void refresh_view(open_document& doc);

  const analysis* current_analysis(const std::string& uri);

  writer write_;
  file_access files_;
  server_options options_;
  frame_reader frames_;

  bool initialized_ = false;
  bool shut_down_ = false;
  bool finished_ = false;
  position_encoding encoding_ = position_encoding::utf16;
  bool snippets_ = false;
  bool hierarchical_symbols_ = false;

  open_documents documents_;
  std::set<std::string> dirty_;  // open documents whose pair is to be analysed again
  // The last analysis of each open document's pair; documents of one pair share it.
  std::map<std::string, std::shared_ptr<const analysis>> analyses_;
  // The files whose diagnostics were last published, and the version they were published with.
  std::set<std::string> published_;
};

// Where the client's bytes come from.
struct byte_input {
  // Up to `size` bytes of what has come, waiting for the first; 0 once the input has ended.
  std::function<std::size_t(char* data, std::size_t size)> read;
  // Whether bytes (or the end) come within the time given.
  std::function<bool(std::chrono::milliseconds)> waiting;
};

// Runs the server on `input` until the client says exit or the input ends; a changed document is
// analysed when no further message comes within `settle`. Returns the exit status.
int serve(server& s, const byte_input& input, std::chrono::milliseconds settle);

}  // namespace scenario::lsp
