// File access for both programs: whole-file reads, atomic replacement, folders and the program's
// own folder. The only code of ours that calls the operating system's file functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/byte_sink.h"

namespace scenario {

// A file that cannot be read, written or removed; the message names the file and the reason.
class file_error : public std::runtime_error {
 public:
  file_error(const std::string& path, const std::string& action, int err);
  file_error(const std::string& path, const std::string& action, const std::string& reason);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The system calls that reading and replacing a file make; tests inject short reads and writes,
// interruptions and failures. Null members are the system's own. A call returns what the system
// call does: a count, or -1 with errno set.
struct file_calls {
  std::int64_t (*read)(int fd, void* data, std::size_t size) = nullptr;
  std::int64_t (*pwrite)(int fd, const void* data, std::size_t size,
                         std::uint64_t offset) = nullptr;
  int (*close)(int fd) = nullptr;
  int (*unlink)(const char* path) = nullptr;
};

// The whole file, or nullopt when it does not exist. Anything but a regular file (a directory, a
// FIFO that would block the reader, a device) is refused with a file_error.
std::optional<std::string> read_whole_file(const std::string& path, const file_calls& calls = {});

// Replaces the file with the `size` bytes that `produce` hands its sink, piece by piece: written to
// a temporary file in the same directory, then renamed over the name. On failure the temporary is
// removed and an earlier file stays as it was; the message says so if the temporary could not be
// removed.
void replace_file(const std::string& path, std::uint64_t size,
                  const std::function<void(const byte_sink&)>& produce,
                  const file_calls& calls = {});
void replace_file(const std::string& path, std::string_view bytes, const file_calls& calls = {});

// Creates the directory with every missing parent; nothing to do when it exists. When a part of
// the path exists but is not a directory, the message names that part.
void make_directories(const std::string& path);

// Removes the file if it exists.
void remove_file(const std::string& path);

// The directory that holds the running program, without a trailing separator.
std::string program_directory();

std::string join_path(const std::string& directory, const std::string& name);

}  // namespace scenario
