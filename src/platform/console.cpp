#include "platform/console.h"

#include <unistd.h>

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

}  // namespace scenario
