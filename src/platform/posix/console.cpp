#include "platform/console.h"

#include <unistd.h>

#include <cstdlib>

namespace scenario {

void prepare_standard_streams() {
  // Bytes pass the streams unchanged already.
}

std::vector<std::string> command_line_arguments(int argc, const char* const* argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

bool is_terminal(standard_stream s) {
  switch (s) {
    case standard_stream::input:
      return ::isatty(STDIN_FILENO) != 0;
    case standard_stream::output:
      return ::isatty(STDOUT_FILENO) != 0;
    case standard_stream::error:
      return ::isatty(STDERR_FILENO) != 0;
  }
  return false;
}

std::optional<std::string> environment_variable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool console_closes_with_program() {
  return false;
}

bool show_message_box(std::string_view, std::string_view) {
  return false;
}

}  // namespace scenario
