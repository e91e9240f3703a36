// File access for both programs: whole-file reads, atomic replacement, folders and the program's
// own folder. The only code of ours that calls the operating system's file functions.
//
// A path is bytes, as the user typed it. On Windows they are UTF-8 (the arguments arrive so, see
// console.h) and become the system's UTF-16 here; a byte that begins no UTF-8 character is read
// as Windows-1252, so that a name in the simulator's code page finds its file too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
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
// call does: a count, or -1 with errno set. `fd` is a descriptor of the C library (on Windows one
// that stands for the system's handle) and `path` bytes as above.
struct file_calls {
  std::int64_t (*read)(int fd, void* data, std::size_t size) = nullptr;
  std::int64_t (*pwrite)(int fd, const void* data, std::size_t size,
                         std::uint64_t offset) = nullptr;
  int (*close)(int fd) = nullptr;
  int (*unlink)(const char* path) = nullptr;
  int (*fsync)(int fd) = nullptr;
};

// The system's own calls, for an injected call that hands the real work on.
const file_calls& system_file_calls();

// The most an input may hold. The largest scenario is about 1 MB of text and its line geometry
// file 20 MB; the limit only keeps a wrong file (a disk image, a sparse file of 100 GiB) from
// exhausting the memory before a word is said.
inline constexpr std::uint64_t largest_input = std::uint64_t{256} << 20;

// A size as the messages give it: "268435456 bytes (256 MiB)", the MiB only when whole.
std::string bytes_text(std::uint64_t size);

// The whole file, or nullopt when it does not exist. Anything but a regular file (a directory, a
// FIFO that would block the reader, a device) is refused with a file_error, and so is a file
// larger than `limit`, before it is read.
std::optional<std::string> read_whole_file(const std::string& path, const file_calls& calls = {},
                                           std::uint64_t limit = largest_input);

// Standard input, read to its end as bytes; a file_error past `limit`.
std::string read_standard_input(std::uint64_t limit = largest_input);

// Whether a file of that name exists; a symbolic link counts even when it leads nowhere, since it
// takes the name all the same. A lookup that fails for another reason (a folder on the way that
// cannot be searched) is a file_error.
bool file_exists(const std::string& path);

// Whether a replaced file reaches the disk before it takes its name (and the name before the call
// returns): after a power cut the name then holds the older file or the new one, never an empty
// one. A file that is read back and deleted at once can do without.
enum class flush { to_disk, none };

class removed_on_interrupt;

// A file written whole under a temporary name beside its target, which takes the target's name
// only at commit(). Until then an older file of that name stays as it was: a failure, an interrupt
// (see interrupts.h) or a destruction without commit removes the temporary. The messages say so if
// the temporary could not be removed.
class staged_file {
 public:
  // Writes the `size` bytes that `produce` hands its sink, piece by piece, and with flush::to_disk
  // waits until they are on the disk. Throws file_error.
  staged_file(const std::string& path, std::uint64_t size,
              const std::function<void(const byte_sink&)>& produce, flush when = flush::to_disk,
              const file_calls& calls = {});
  ~staged_file();
  staged_file(const staged_file&) = delete;
  staged_file& operator=(const staged_file&) = delete;

  // Renames the temporary over the target. Throws file_error (the temporary is then removed).
  void commit();
  const std::string& path() const { return path_; }

 private:
  [[noreturn]] void fail(const char* action, const std::string& reason);

  std::string path_;
  std::string temporary_;
  file_calls calls_;
  std::unique_ptr<removed_on_interrupt> mark_;
  bool committed_ = false;
};

// Replaces the file with the `size` bytes that `produce` hands its sink: a staged_file committed at
// once, its folder flushed after it with flush::to_disk.
void replace_file(const std::string& path, std::uint64_t size,
                  const std::function<void(const byte_sink&)>& produce,
                  const file_calls& calls = {}, flush when = flush::to_disk);
void replace_file(const std::string& path, std::string_view bytes, const file_calls& calls = {},
                  flush when = flush::to_disk);

// Throws file_error when `path` could not be replaced by a file: a directory stands there, or its
// folder is missing or cannot be written; on Windows also a read-only file, or one that another
// program (the simulator) holds open. Writers of several files ask it for each before they
// replace any, so that one name in the way leaves every older file as it was.
void check_replaceable(const std::string& path);

// Flushes a folder's entries (the names just given to replaced files) to the disk. Windows has
// written them through already when the replacement returned.
void flush_folder(const std::string& directory);

// The parts of a path, split at "/" and on Windows also at "\" and after a drive ("C:"). The
// folder is "" for a bare name and the root itself for a name at the root ("/", "C:\").
std::string parent_folder(const std::string& path);
// The folder of a path: "." for a bare name.
std::string folder_of(const std::string& path);
// The last part of a path, after its folder.
std::string file_name_of(const std::string& path);

// Creates the directory with every missing parent; nothing to do when it exists. When a part of
// the path exists but is not a directory, the message names that part.
void make_directories(const std::string& path);

// Removes the file if it exists.
void remove_file(const std::string& path);

// The directory that holds the running program, without a trailing separator.
std::string program_directory();

// The name inside the folder; a bare name when the folder is empty, never one at the root. On
// Windows a folder written with "\" alone is joined with "\" too.
std::string join_path(const std::string& directory, const std::string& name);

}  // namespace scenario
