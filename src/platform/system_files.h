// What each system's half of the file code (posix/files.cpp, windows/files.cpp) gives the half they
// share (files.cpp): the few steps that differ from one system to the other. Only platform/ uses
// it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace scenario::system {

// Path syntax: "/" on every system; on Windows also "\" and a drive ("C:").
bool is_separator(char c);
// How much of the path is its root: "/" 1, and on Windows "C:\" 3, "C:" 2.
std::size_t root_length(std::string_view path);
// The separator a name is joined to this folder with.
char separator_for(std::string_view folder);

// The words for an errno value. Every system says the same, so that a message does not depend on
// where the program runs.
std::string error_text(int err);

// The calls file_calls stands for, as the system makes them.
const file_calls& default_calls();

// A regular file opened for reading, and its size; nullopt when nothing has that name. Anything
// else (a directory, a FIFO, a device) is refused with a file_error naming `path`.
struct opened_file {
  int fd;
  std::uint64_t size;
};
std::optional<opened_file> open_for_reading(const std::string& path);

// The descriptor of standard input, reading bytes as they are.
int standard_input();

// A name beside `path` that no other run or call uses at the same time.
std::string temporary_name(const std::string& path);

// Creates `temporary` (which must not exist) for writing `size` bytes. Throws file_error naming
// `path`, the file the temporary is for.
int create_temporary(const std::string& path, const std::string& temporary, std::uint64_t size);

// Gives the temporary the target's name, at once replacing any older file of that name; the reason
// when it cannot (the older file is then as it was).
std::optional<std::string> rename_over(const std::string& temporary, const std::string& target);

}  // namespace scenario::system
