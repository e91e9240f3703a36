#include "lsp/uri.h"

namespace scenario::lsp {

namespace {

constexpr std::string_view file_scheme = "file://";

int hex_digit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

bool starts_with_file_scheme(std::string_view uri) {
  if (uri.size() < file_scheme.size()) return false;
  for (std::size_t i = 0; i < file_scheme.size(); ++i) {
    char ch = uri[i];
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    if (ch != file_scheme[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> path_from_uri(std::string_view uri) {
  if (!starts_with_file_scheme(uri)) return std::nullopt;
  std::string_view rest = uri.substr(file_scheme.size());
  // "file://host/path": a host other than the local one names no file of ours.
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = rest.substr(0, slash);
  if (!host.empty() && host != "localhost") return std::nullopt;
  rest.remove_prefix(slash);
  rest = rest.substr(0, rest.find_first_of("?#"));
  std::string path;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != '%') {
      path.push_back(rest[i]);
      continue;
    }
    const int high = i + 1 < rest.size() ? hex_digit(rest[i + 1]) : -1;
    const int low = i + 2 < rest.size() ? hex_digit(rest[i + 2]) : -1;
    if (high < 0 || low < 0) return std::nullopt;
    path.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  // A drive letter: "/C:/x" names "C:/x".
  if (path.size() >= 3 && path[0] == '/' && path[2] == ':' &&
      ((path[1] >= 'A' && path[1] <= 'Z') || (path[1] >= 'a' && path[1] <= 'z')))
    path.erase(0, 1);
  if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
  return path;
}

std::string uri_from_path(std::string_view path) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string uri(file_scheme);
  if (path.empty() || path[0] != '/') uri += '/';  // "C:/x" becomes "file:///C:/x"
  for (const char ch : path) {
    const auto byte = static_cast<unsigned char>(ch);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                       byte == '~' || byte == '/';
    if (plain) {
      uri.push_back(ch);
    } else if (ch == '\\') {
      uri.push_back('/');
    } else {
      uri.push_back('%');
      uri.push_back(digits[byte >> 4]);
      uri.push_back(digits[byte & 15]);
    }
  }
  return uri;
}

uri_parts split_uri(std::string_view uri) {
  if (const std::optional<std::string> path = path_from_uri(uri)) {
    const std::size_t slash = path->rfind('/');
    if (slash == std::string::npos) return {".", *path};
    return {path->substr(0, slash == 0 ? 1 : slash), path->substr(slash + 1)};
  }
  const std::size_t slash = uri.rfind('/');
  if (slash == std::string_view::npos) return {{}, std::string(uri)};
  return {std::string(uri.substr(0, slash)), std::string(uri.substr(slash + 1))};
}

}  // namespace scenario::lsp
