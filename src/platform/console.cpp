#include "platform/console.h"

#include <unistd.h>

#include <cstdlib>

namespace scenario {

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

}  // namespace scenario
