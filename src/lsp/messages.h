// JSON-RPC 2.0 as the protocol uses it: the error codes, and the three kinds of message the server
// sends. Every message is built with the JSON library and serialized once.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace scenario::lsp {

namespace error_code {
inline constexpr int parse_error = -32700;
inline constexpr int invalid_request = -32600;
inline constexpr int method_not_found = -32601;
inline constexpr int invalid_params = -32602;
inline constexpr int internal_error = -32603;
inline constexpr int server_not_initialized = -32002;
}  // namespace error_code

nlohmann::json response(const nlohmann::json& id, nlohmann::json result);
nlohmann::json error_response(const nlohmann::json& id, int code, const std::string& message);
nlohmann::json notification(std::string_view method, nlohmann::json params);

// The message as its JSON text; bytes that are not UTF-8 in a string become U+FFFD rather than
// fail.
std::string serialized(const nlohmann::json& message);

}  // namespace scenario::lsp
