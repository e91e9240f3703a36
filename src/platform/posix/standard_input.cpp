#include "platform/standard_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"

namespace scenario {

void use_binary_standard_streams() {}  // POSIX streams never translate line ends

std::size_t read_standard_input_some(char* data, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, data, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) throw file_error("standard input", "read", errno);
  }
}

bool standard_input_waiting(std::chrono::milliseconds timeout) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  const int n = ::poll(&input, 1, static_cast<int>(timeout.count()));
  // A failed poll says "waiting", so that the read that follows reports the fault.
  return n != 0;
}

}  // namespace scenario
