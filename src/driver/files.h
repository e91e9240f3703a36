// File access for the programs: whole-file reads and atomic replacement.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

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

// The whole file, or nullopt when it does not exist. Anything but a regular file (a directory, a
// FIFO that would block the reader, a device) is refused with a file_error.
std::optional<std::string> read_whole_file(const std::string& path);

// The system's write call; tests inject short writes, interruptions and failures.
using write_call = ssize_t (*)(int fd, const void* data, std::size_t size);

// Replaces the file with `bytes`: written to a temporary file in the same directory, then renamed
// over the name. On failure the temporary is removed and an earlier file stays as it was.
void replace_file(const std::string& path, std::string_view bytes, write_call write = nullptr);

// Removes the file if it exists.
void remove_file(const std::string& path);

// The directory that holds the running program, without a trailing separator.
std::string program_directory();

std::string join_path(const std::string& directory, const std::string& name);

}  // namespace scenario
