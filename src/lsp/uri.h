// Documents are named by URIs; the files beside them by paths. Only "file" URIs name a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scenario::lsp {

// The path of a "file" URI, its escapes decoded ("file:///home/a%20b/x" is "/home/a b/x", and
// "file:///C:/x" is "C:/x"); nullopt for another scheme or a malformed escape.
std::optional<std::string> path_from_uri(std::string_view uri);

// The "file" URI of an absolute path, every byte but the unreserved ones and "/" escaped.
std::string uri_from_path(std::string_view path);

// A URI split at its last "/": the folder part, and the name (decoded for a "file" URI).
struct uri_parts {
  std::string folder;
  std::string name;
};
uri_parts split_uri(std::string_view uri);

}  // namespace scenario::lsp
