// The analysis of a document: the pair of data files it belongs to (the document and its partner
// beside it, an open document taking precedence over the file on the disk), compiled in memory as
// `scenario check` compiles it, and its diagnostics placed on the fields of both files.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lsp/source_text.h"
#include "lsp/text_positions.h"
#include "model/model.h"

namespace scenario::lsp {

// The files beside a document, as the server reaches them: through the platform in the program,
// in memory in tests.
struct file_access {
  // The bytes of a file, nullopt when there is none; throws file_error when it cannot be read.
  std::function<std::optional<std::string>(const std::string& path)> read;
  // The names a folder holds.
  std::function<std::vector<std::string>(const std::string& folder)> list;
};

// An open document: the text the editor holds, as the server last heard of it.
struct open_document {
  std::string uri;
  std::int64_t version = 0;
  std::string text;                         // UTF-8
  std::shared_ptr<const source_text> view;  // of `text`; null when too large to read
};

using open_documents = std::map<std::string, open_document>;

// A data file's role, from its name: "<route>_linea.txt" or "<route>_<train>-.txt".
std::optional<source_file> role_of_name(const std::string& name);

struct placed_diagnostic {
  // Code (0: the server's own word, with no code), severity, and the message as UTF-8.
  diagnostic what;
  text_range range;
};

struct analysed_file {
  std::string uri;
  source_file role = source_file::none;
  std::optional<std::int64_t> version;  // of the open document; nullopt when read from the disk
  std::shared_ptr<const source_text> text;
  std::vector<placed_diagnostic> diagnostics;
};

struct analysis {
  std::vector<analysed_file> files;    // the line description first
  std::unique_ptr<compilation> model;  // null when the pair was not compiled

  const analysed_file* file(const std::string& uri) const;
  const analysed_file* file(source_file role) const;
};

struct analysis_options {
  position_encoding encoding = position_encoding::utf16;
  std::size_t largest_document = 0;
};

// A file of a pair: an open document, or a file on the disk beside it.
struct pair_member {
  std::string uri;
  std::string name;
  source_file role = source_file::none;
  bool open = false;
  std::string path;  // of a file on the disk
};

// Which files an open document is compiled with, chosen by the naming rule: the partner beside it
// (an open document before a file on the disk; for a train scenario, the longest route name;
// then the first by name), and what the document is told about that choice.
struct pair_plan {
  std::string document;
  std::optional<pair_member> line;
  std::optional<pair_member> train;
  std::string route;
  std::string train_name;
  std::vector<diagnostic> notes;  // for `document`

  // The same for every document planned with the same two files.
  std::string key() const;
};

// The plan of the open document `uri`; a document whose name is neither data file's has no
// member.
pair_plan plan_pair(const std::string& uri, const open_documents& open, const file_access& files);

// The pair of `plans` (all with one key), compiled and checked as `scenario check` does; each
// plan's notes go to its document.
analysis analyse_pair(const std::vector<const pair_plan*>& plans, const open_documents& open,
                      const file_access& files, const analysis_options& options);

// The diagnostic as the protocol publishes it; `explanations` is the address of the codes'
// explanations, to which "#code-N" is added, or empty.
nlohmann::json diagnostic_json(const placed_diagnostic& d, const std::string& explanations);

}  // namespace scenario::lsp
