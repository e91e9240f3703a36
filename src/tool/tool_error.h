// The one form of the tool's error lines: "scenario: error: MESSAGE".
#pragma once

#include <ostream>
#include <string_view>

namespace scenario {

inline constexpr std::string_view tool_name = "scenario";

// Writes "scenario: error: MESSAGE" and a newline.
inline void print_error(std::ostream& err, std::string_view message) {
  err << tool_name << ": error: " << message << '\n';
}

}  // namespace scenario
