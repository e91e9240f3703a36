#include "lsp/server.h"

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "lsp/code_actions.h"
#include "lsp/completion.h"
#include "lsp/definition.h"
#include "lsp/document_context.h"
#include "lsp/hover.h"
#include "lsp/messages.h"
#include "lsp/signature_help.h"
#include "lsp/symbols.h"
#include "lsp/uri.h"
#include "platform/files.h"

namespace scenario::lsp {

namespace {

// A request that cannot be answered: the error the client gets instead.
struct request_error {
  int code;
  std::string message;
};

[[noreturn]] void invalid_params(const std::string& message) {
  throw request_error{error_code::invalid_params, message};
}

// The member of an object at the end of `names`, or null when any step is missing.
const nlohmann::json* find_path(const nlohmann::json& j, std::initializer_list<const char*> names) {
  const nlohmann::json* at = &j;
  for (const char* name : names) {
    if (!at->is_object()) return nullptr;
    const auto found = at->find(name);
    if (found == at->end()) return nullptr;
    at = &*found;
  }
  return at;
}

const nlohmann::json& required(const nlohmann::json& j, const char* name) {
  const nlohmann::json* found = find_path(j, {name});
  if (!found) invalid_params(std::string("\"") + name + "\" is missing");
  return *found;
}

std::string string_param(const nlohmann::json& j, const char* name) {
  const nlohmann::json& value = required(j, name);
  if (!value.is_string()) invalid_params(std::string("\"") + name + "\" is not a string");
  return value.get<std::string>();
}

std::int64_t integer_param(const nlohmann::json& j, const char* name) {
  const nlohmann::json& value = required(j, name);
  if (!value.is_number_integer()) invalid_params(std::string("\"") + name + "\" is not an integer");
  return value.get<std::int64_t>();
}

std::string uri_param(const nlohmann::json& params) {
  return string_param(required(params, "textDocument"), "uri");
}

text_position position_of(const nlohmann::json& j) {
  const std::int64_t line = integer_param(j, "line");
  const std::int64_t character = integer_param(j, "character");
  if (line < 0 || character < 0) invalid_params("a position with a negative line or character");
  return {line, character};
}

text_range range_of(const nlohmann::json& j) {
  text_range r{position_of(required(j, "start")), position_of(required(j, "end"))};
  if (r.end < r.start) std::swap(r.start, r.end);
  return r;
}

bool flag(const nlohmann::json& j, std::initializer_list<const char*> names) {
  const nlohmann::json* found = find_path(j, names);
  return found && found->is_boolean() && found->get<bool>();
}

std::string folder_of_uri(const std::string& uri) {
  return split_uri(uri).folder;
}

}  // namespace

server_options::server_options()
    : largest_document(static_cast<std::size_t>(largest_input)),
      // Room for a document of the largest size with its JSON around it.
      largest_message(static_cast<std::size_t>(largest_input) + (std::size_t{1} << 20)) {}

server::server(writer write, file_access files, server_options options)
    : write_(std::move(write)),
      files_(std::move(files)),
      options_(std::move(options)),
      frames_(options_.largest_message) {}

void server::receive(std::string_view bytes) {
  for (const incoming& message : frames_.take(bytes)) {
    if (finished_) return;
    handle(message);
  }
}

void server::end_of_input() {
  finished_ = true;
}

void server::send(const nlohmann::json& message) {
  write_(framed(serialized(message)));
}

void server::handle(const incoming& message) {
  if (message.malformed) {
    send(error_response(nullptr, message.error_code, message.problem));
    return;
  }
  nlohmann::json parsed;
  try {
    parsed = nlohmann::json::parse(message.body);
  } catch (const nlohmann::json::exception& e) {
    send(error_response(nullptr, error_code::parse_error,
                        std::string("the message is not JSON: ") + e.what()));
    return;
  } catch (const std::bad_alloc&) {
    send(error_response(nullptr, error_code::internal_error, "out of memory reading a message"));
    return;
  }
  dispatch(parsed);
}

void server::dispatch(const nlohmann::json& message) {
  if (!message.is_object()) {
    send(error_response(nullptr, error_code::invalid_request,
                        message.is_array() ? "batches of messages are not taken"
                                           : "a message must be a JSON object"));
    return;
  }
  const auto id_found = message.find("id");
  const bool has_id = id_found != message.end();
  const bool id_valid = has_id && (id_found->is_string() || id_found->is_number());
  const nlohmann::json id = id_valid ? *id_found : nlohmann::json(nullptr);
  const auto method_found = message.find("method");
  if (method_found == message.end()) {
    // A response to the server: it sends no request, so there is nothing to match it with.
    if (has_id && (message.contains("result") || message.contains("error"))) return;
    send(error_response(id, error_code::invalid_request, "a message without a method"));
    return;
  }
  const auto version = message.find("jsonrpc");
  if (version == message.end() || *version != "2.0" || !method_found->is_string() ||
      (has_id && !id_valid)) {
    send(error_response(id, error_code::invalid_request,
                        "not a JSON-RPC 2.0 request or notification (\"jsonrpc\": \"2.0\", a "
                        "method name, an integer or string id)"));
    return;
  }
  const std::string method = method_found->get<std::string>();
  const auto params_found = message.find("params");
  // Absent or null parameters are none.
  const nlohmann::json params = params_found == message.end() || params_found->is_null()
                                    ? nlohmann::json::object()
                                    : *params_found;
  if (!params.is_object() && !params.is_array()) {
    if (has_id)
      send(error_response(id, error_code::invalid_request, "params must be an object or an array"));
    return;
  }

  if (!has_id) {
    if (method == "exit") {
      finished_ = true;
      return;
    }
    if (!initialized_ || shut_down_) return;
    try {
      notice(method, params);
    } catch (...) {
      // A notification has no answer; a faulty one changes nothing.
    }
    return;
  }

  if (!initialized_ && method != "initialize") {
    send(error_response(id, error_code::server_not_initialized,
                        "the server is not initialized: initialize comes first"));
    return;
  }
  if (shut_down_) {
    send(error_response(id, error_code::invalid_request, "the server has shut down"));
    return;
  }
  try {
    send(response(id, answer(method, params)));
  } catch (const request_error& e) {
    send(error_response(id, e.code, e.message));
  } catch (const std::bad_alloc&) {
    send(error_response(id, error_code::internal_error, "out of memory"));
  } catch (const std::exception& e) {
    send(error_response(id, error_code::internal_error, e.what()));
  }
}

nlohmann::json server::answer(const std::string& method, const nlohmann::json& params) {
  if (method == "initialize") {
    if (initialized_) throw request_error{error_code::invalid_request, "initialize came twice"};
    return initialize(params);
  }
  if (method == "shutdown") {
    shut_down_ = true;
    return nullptr;
  }
  const bool known = method == "textDocument/hover" || method == "textDocument/completion" ||
                     method == "textDocument/signatureHelp" ||
                     method == "textDocument/codeAction" ||
                     method == "textDocument/documentSymbol" || method == "textDocument/definition";
  if (!known) throw request_error{error_code::method_not_found, "no method \"" + method + "\""};
  const bool listing = method == "textDocument/completion" || method == "textDocument/codeAction" ||
                       method == "textDocument/documentSymbol";
  const nlohmann::json empty = listing ? nlohmann::json::array() : nlohmann::json(nullptr);

  const std::string uri = uri_param(params);
  // The parameters are checked before the document is looked up.
  std::optional<text_position> position;
  std::optional<text_range> range;
  if (method == "textDocument/codeAction") {
    range = range_of(required(params, "range"));
  } else if (method != "textDocument/documentSymbol") {
    position = position_of(required(params, "position"));
  }
  const auto found = documents_.find(uri);
  // A document the client never opened, or one too large to read, has nothing to show.
  if (found == documents_.end() || !found->second.view) return empty;
  const bool analysed = method == "textDocument/hover" || method == "textDocument/codeAction" ||
                        method == "textDocument/definition";
  const analysis* pair = analysed ? current_analysis(uri) : nullptr;
  const open_document& doc = documents_.at(uri);
  if (!doc.view) return empty;
  const document_context c{
      uri, *doc.view, encoding_, pair, pair ? pair->file(uri) : nullptr, options_.explanations};

  if (method == "textDocument/hover") return hover(c, *position);
  if (method == "textDocument/completion") return completion(c, *position, snippets_);
  if (method == "textDocument/signatureHelp") return signature_help(c, *position);
  if (method == "textDocument/codeAction") return code_actions(c, *range);
  if (method == "textDocument/documentSymbol") return document_symbols(c, hierarchical_symbols_);
  return definition(c, *position);
}

nlohmann::json server::initialize(const nlohmann::json& params) {
  const nlohmann::json* offered =
      find_path(params, {"capabilities", "general", "positionEncodings"});
  encoding_ = position_encoding::utf16;
  if (offered && offered->is_array() &&
      std::find(offered->begin(), offered->end(), "utf-8") != offered->end())
    encoding_ = position_encoding::utf8;
  snippets_ = flag(
      params, {"capabilities", "textDocument", "completion", "completionItem", "snippetSupport"});
  hierarchical_symbols_ = flag(params, {"capabilities", "textDocument", "documentSymbol",
                                        "hierarchicalDocumentSymbolSupport"});
  initialized_ = true;
  const nlohmann::json capabilities = {
      {"positionEncoding", encoding_name(encoding_)},
      {"textDocumentSync",
       {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
      {"hoverProvider", true},
      {"completionProvider", {{"triggerCharacters", {"["}}}},
      {"signatureHelpProvider", {{"triggerCharacters", {","}}, {"retriggerCharacters", {" "}}}},
      {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
      {"documentSymbolProvider", true},
      {"definitionProvider", true},
  };
  return {{"capabilities", capabilities},
          {"serverInfo", {{"name", "scenario"}, {"version", options_.version}}}};
}

void server::notice(const std::string& method, const nlohmann::json& params) {
  if (method == "textDocument/didOpen") return open(params);
  if (method == "textDocument/didChange") return change(params);
  if (method == "textDocument/didClose") return close(params);
  if (method == "textDocument/didSave") return mark_folder(uri_param(params));
  // Anything else ("initialized", "$/cancelRequest", settings) asks nothing of this server.
}

void server::refresh_view(open_document& doc) {
  doc.view.reset();
  if (doc.text.size() > options_.largest_document) return;
  const std::optional<source_file> role = role_of_name(split_uri(doc.uri).name);
  doc.view = source_text::from_editor(role.value_or(source_file::none), doc.text);
}

void server::open(const nlohmann::json& params) {
  const nlohmann::json& item = required(params, "textDocument");
  open_document doc;
  doc.uri = string_param(item, "uri");
  const nlohmann::json* version = find_path(item, {"version"});
  doc.version = version && version->is_number_integer() ? version->get<std::int64_t>() : 0;
  doc.text = string_param(item, "text");
  refresh_view(doc);
  const std::string uri = doc.uri;
  documents_[uri] = std::move(doc);
  mark_folder(uri);
}

void server::change(const nlohmann::json& params) {
  const std::string uri = uri_param(params);
  const auto found = documents_.find(uri);
  if (found == documents_.end()) return;
  open_document& doc = found->second;
  const nlohmann::json& changes = required(params, "contentChanges");
  if (!changes.is_array()) invalid_params("\"contentChanges\" is not an array");
  for (const nlohmann::json& edit : changes) {
    const std::string text = string_param(edit, "text");
    const nlohmann::json* range = find_path(edit, {"range"});
    if (!range) {
      doc.text = text;
      continue;
    }
    const text_range r = range_of(*range);
    const line_index lines(doc.text);
    const std::size_t start = byte_offset(doc.text, lines, r.start, encoding_);
    const std::size_t end = std::max(start, byte_offset(doc.text, lines, r.end, encoding_));
    doc.text.replace(start, end - start, text);
  }
  if (const nlohmann::json* version = find_path(required(params, "textDocument"), {"version"});
      version && version->is_number_integer())
    doc.version = version->get<std::int64_t>();
  refresh_view(doc);
  // This document, and every open document whose pair holds it.
  dirty_.insert(uri);
  for (const auto& [other, analysed] : analyses_)
    if (analysed && analysed->file(uri)) dirty_.insert(other);
}

void server::close(const nlohmann::json& params) {
  const std::string uri = uri_param(params);
  if (documents_.erase(uri) == 0) return;
  dirty_.erase(uri);
  analyses_.erase(uri);
  mark_folder(uri);
  forget_unheld();
}

void server::forget_unheld() {
  // Diagnostics stay only on the files an open document's pair holds.
  for (auto it = published_.begin(); it != published_.end();) {
    const bool held = std::any_of(analyses_.begin(), analyses_.end(),
                                  [&](const auto& a) { return a.second && a.second->file(*it); });
    if (held) {
      ++it;
      continue;
    }
    send(notification("textDocument/publishDiagnostics",
                      {{"uri", *it}, {"diagnostics", nlohmann::json::array()}}));
    it = published_.erase(it);
  }
}

void server::mark_folder(const std::string& uri) {
  const std::string folder = folder_of_uri(uri);
  for (const auto& [other, doc] : documents_)
    if (folder_of_uri(other) == folder) dirty_.insert(other);
}

const analysis* server::current_analysis(const std::string& uri) {
  if (dirty_.count(uri)) analyse_pending();
  const auto found = analyses_.find(uri);
  return found == analyses_.end() ? nullptr : found->second.get();
}

void server::analyse_pending() {
  if (dirty_.empty()) return;
  analysis_options options;
  options.encoding = encoding_;
  options.largest_document = options_.largest_document;

  // Documents planned with the same two files share one compile.
  std::vector<pair_plan> plans;
  for (const std::string& uri : dirty_)
    if (documents_.count(uri)) plans.push_back(plan_pair(uri, documents_, files_));
  dirty_.clear();
  std::map<std::string, std::vector<const pair_plan*>> by_pair;
  for (const pair_plan& p : plans) by_pair[p.key()].push_back(&p);
  std::set<const analysis*> fresh;
  for (const auto& [key, group] : by_pair) {
    std::shared_ptr<analysis> a;
    try {
      a = std::make_shared<analysis>(analyse_pair(group, documents_, files_, options));
    } catch (const std::exception& e) {
      // Whatever went wrong stays with this pair: its documents are told, the server goes on.
      a = std::make_shared<analysis>();
      for (const pair_plan* p : group) {
        const open_document& doc = documents_.at(p->document);
        diagnostic d;
        d.message = std::string("the analysis of this file failed: ") + e.what();
        a->files.push_back({p->document, source_file::none, doc.version, nullptr, {{d, {}}}});
      }
    }
    fresh.insert(a.get());
    for (const pair_plan* p : group) analyses_[p->document] = a;
  }

  // Who publishes a file: an open document its own analysis; a file on the disk the analysis of
  // the first open document (by URI) whose pair holds it.
  std::map<std::string, std::pair<const analysed_file*, const analysis*>> owner;
  for (const auto& [uri, a] : analyses_)
    if (const analysed_file* f = a->file(uri)) owner[uri] = {f, a.get()};
  for (const auto& [uri, a] : analyses_)
    for (const analysed_file& f : a->files)
      if (!documents_.count(f.uri)) owner.emplace(f.uri, std::make_pair(&f, a.get()));

  for (const auto& [uri, chosen] : owner) {
    if (!fresh.count(chosen.second)) continue;
    nlohmann::json diagnostics = nlohmann::json::array();
    for (const placed_diagnostic& d : chosen.first->diagnostics)
      diagnostics.push_back(diagnostic_json(d, options_.explanations));
    nlohmann::json params = {{"uri", uri}, {"diagnostics", std::move(diagnostics)}};
    if (chosen.first->version) params["version"] = *chosen.first->version;
    send(notification("textDocument/publishDiagnostics", std::move(params)));
    published_.insert(uri);
  }
  forget_unheld();
}

}  // namespace scenario::lsp

namespace scenario::lsp {

int serve(server& s, const byte_input& input, std::chrono::milliseconds settle) {
  std::vector<char> buffer(std::size_t{1} << 16);
  while (!s.finished()) {
    // Changes are analysed once no newer message is on its way: what has come is read first.
    if (s.analysis_pending() && !input.waiting(settle)) {
      s.analyse_pending();
      continue;
    }
    const std::size_t n = input.read(buffer.data(), buffer.size());
    if (n == 0) {
      s.end_of_input();
      break;
    }
    s.receive(std::string_view(buffer.data(), n));
  }
  return s.exit_status();
}

}  // namespace scenario::lsp
