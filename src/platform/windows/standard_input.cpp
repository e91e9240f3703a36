// Standard input on Windows is read by a thread of its own into a buffer that the program takes
// from. An anonymous pipe cannot be waited on with a timeout, and the pipes of some hosts do not
// even say how much they hold; a blocking read on a thread works on pipes, files and consoles
// alike.
#include "platform/standard_input.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/windows/system.h"

namespace scenario {

namespace {

class input_pump {
 public:
  input_pump() {
    std::thread([this] { run(); }).detach();
  }

  std::size_t read(char* data, std::size_t size) {
    std::unique_lock lock(mutex_);
    arrived_.wait(lock, [this] { return !buffer_.empty() || ended_; });
    if (buffer_.empty()) {
      if (error_ != 0) throw file_error("standard input", "read", system::reason_for(error_));
      return 0;
    }
    const std::size_t n = std::min(size, buffer_.size());
    std::copy_n(buffer_.begin(), n, data);
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
    taken_.notify_one();
    return n;
  }

  bool waiting(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [this] { return !buffer_.empty() || ended_; });
  }

 private:
  // The most held before the thread waits for the program to take some.
  static constexpr std::size_t most_held = std::size_t{1} << 20;

  void run() {
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    std::vector<char> piece(std::size_t{1} << 16);
    for (;;) {
      {
        std::unique_lock lock(mutex_);
        taken_.wait(lock, [this] { return buffer_.size() < most_held; });
      }
      DWORD got = 0;
      const bool ok = ::ReadFile(in, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr);
      const DWORD error = ok ? 0 : ::GetLastError();
      std::lock_guard lock(mutex_);
      if (!ok || got == 0) {
        // A pipe whose writer has gone has simply ended.
        if (error != ERROR_BROKEN_PIPE && error != ERROR_HANDLE_EOF) error_ = error;
        ended_ = true;
        arrived_.notify_all();
        return;
      }
      buffer_.insert(buffer_.end(), piece.data(), piece.data() + got);
      arrived_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable arrived_;  // bytes came, or the end
  std::condition_variable taken_;    // the program took bytes
  std::vector<char> buffer_;
  bool ended_ = false;
  DWORD error_ = 0;
};

// Started with the first use and never destroyed: its thread may still be in a read when the
// program ends.
input_pump& pump() {
  static input_pump* const p = new input_pump;
  return *p;
}

}  // namespace

void use_binary_standard_streams() {
  // The C library would otherwise write CR LF for every LF and stop reading at a Ctrl-Z byte.
  ::_setmode(0, _O_BINARY);
  ::_setmode(1, _O_BINARY);
}

std::size_t read_standard_input_some(char* data, std::size_t size) {
  return pump().read(data, size);
}

bool standard_input_waiting(std::chrono::milliseconds timeout) {
  return pump().waiting(timeout);
}

}  // namespace scenario
