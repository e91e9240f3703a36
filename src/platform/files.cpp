// The parts of file access that every system shares; the steps that differ are in the system's
// own files.cpp (system_files.h).
#include "platform/files.h"

#include <algorithm>
#include <cerrno>

#include "platform/interrupts.h"
#include "platform/system_files.h"

namespace scenario {

file_error::file_error(const std::string& path, const std::string& action, int err)
    : file_error(path, action, system::error_text(err)) {}

file_error::file_error(const std::string& path, const std::string& action,
                       const std::string& reason)
    : std::runtime_error("cannot " + action + " \"" + path + "\": " + reason), path_(path) {}

const file_calls& system_file_calls() {
  return system::default_calls();
}

namespace {

file_calls with_defaults(const file_calls& given) {
  const file_calls& system = system::default_calls();
  file_calls calls = given;
  if (!calls.read) calls.read = system.read;
  if (!calls.pwrite) calls.pwrite = system.pwrite;
  if (!calls.close) calls.close = system.close;
  if (!calls.unlink) calls.unlink = system.unlink;
  if (!calls.fsync) calls.fsync = system.fsync;
  return calls;
}

// Reads to the end of `fd` into `out`, whose size is a first guess of what is to come. Returns 0,
// the errno of a failed read, or -1 once more than `limit` bytes have come.
int read_to_end(int fd, std::string& out, std::uint64_t limit,
                std::int64_t (*read)(int, void*, std::size_t)) {
  std::size_t used = 0;
  for (;;) {
    if (used == out.size()) {
      if (used > limit) return -1;
      out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(2 * out.size() + 1, limit + 1)));
    }
    const std::int64_t n = read(fd, out.data() + used, out.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  out.resize(used);
  return used <= limit ? 0 : -1;
}

}  // namespace

std::optional<std::string> read_whole_file(const std::string& path, const file_calls& given,
                                           std::uint64_t limit) {
  const file_calls calls = with_defaults(given);
  const std::optional<system::opened_file> file = system::open_for_reading(path);
  if (!file) return std::nullopt;
  // Refused from its size alone, before any memory is taken for it.
  if (file->size > limit) {
    calls.close(file->fd);
    throw file_error(path, "read",
                     "it holds " + std::to_string(file->size) +
                         " bytes; an input may hold at most " + bytes_text(limit));
  }
  // Read straight into a buffer of the size the file has; it grows only if the file does meanwhile.
  std::string out(static_cast<std::size_t>(file->size) + 1, '\0');
  const int result = read_to_end(file->fd, out, limit, calls.read);
  calls.close(file->fd);
  if (result > 0) throw file_error(path, "read", result);
  if (result < 0)
    throw file_error(path, "read",
                     "it grew past " + bytes_text(limit) + ", the most an input may hold");
  return out;
}

std::string read_standard_input(std::uint64_t limit) {
  const std::string name = "standard input";
  std::string out(std::size_t{1} << 16, '\0');
  const int result =
      read_to_end(system::standard_input(), out, limit, system::default_calls().read);
  if (result > 0) throw file_error(name, "read", result);
  if (result < 0)
    throw file_error(name, "read",
                     "it holds more than " + bytes_text(limit) + ", the most an input may hold");
  return out;
}

staged_file::staged_file(const std::string& path, std::uint64_t size,
                         const std::function<void(const byte_sink&)>& produce, flush when,
                         const file_calls& calls)
    : path_(path),
      temporary_(system::temporary_name(path)),
      calls_(with_defaults(calls)),
      mark_(std::make_unique<removed_on_interrupt>(temporary_)) {
  int fd = system::create_temporary(path_, temporary_, size);
  auto fail_open = [&](int err) {
    if (fd >= 0) calls_.close(fd);
    fd = -1;
    fail("write", system::error_text(err));
  };
  try {
    produce([&](std::uint64_t offset, std::string_view piece) {
      std::size_t done = 0;
      while (done < piece.size()) {
        const std::int64_t n =
            calls_.pwrite(fd, piece.data() + done, piece.size() - done, offset + done);
        if (n < 0) {
          if (errno == EINTR) continue;
          fail_open(errno);
        }
        if (n == 0) fail_open(EIO);
        done += static_cast<std::size_t>(n);
      }
    });
  } catch (const file_error&) {
    throw;
  } catch (...) {
    // The producer itself failed (a name it cannot store, say): no file is left half written.
    if (fd >= 0) calls_.close(fd);
    calls_.unlink(temporary_.c_str());
    throw;
  }
  if (when == flush::to_disk && calls_.fsync(fd) != 0) fail_open(errno);
  const int closed = calls_.close(fd);
  fd = -1;
  if (closed != 0) fail("write", system::error_text(errno));
}

staged_file::~staged_file() {
  if (!committed_) calls_.unlink(temporary_.c_str());
}

void staged_file::fail(const char* action, const std::string& reason) {
  committed_ = true;  // removed here, or named as left behind; the destructor has nothing to do
  std::string words = reason;
  if (calls_.unlink(temporary_.c_str()) != 0 && errno != ENOENT)
    words +=
        "; the temporary file \"" + temporary_ + "\" is left behind: " + system::error_text(errno);
  throw file_error(path_, action, words);
}

void staged_file::commit() {
  if (const std::optional<std::string> reason = system::rename_over(temporary_, path_))
    fail("replace", *reason);
  committed_ = true;
}

void replace_file(const std::string& path, std::uint64_t size,
                  const std::function<void(const byte_sink&)>& produce, const file_calls& calls,
                  flush when) {
  staged_file staged(path, size, produce, when, calls);
  staged.commit();
  if (when == flush::to_disk) flush_folder(folder_of(path));
}

void replace_file(const std::string& path, std::string_view bytes, const file_calls& calls,
                  flush when) {
  replace_file(
      path, bytes.size(), [bytes](const byte_sink& sink) { sink(0, bytes); }, calls, when);
}

namespace {

// Where the last part of the path begins.
std::size_t name_start(const std::string& path) {
  std::size_t start = path.size();
  while (start > 0 && !system::is_separator(path[start - 1])) --start;
  return std::max(start, system::root_length(path));
}

}  // namespace

std::string parent_folder(const std::string& path) {
  const std::size_t start = name_start(path);
  const std::size_t root = system::root_length(path);
  if (start <= root) return path.substr(0, start);
  std::size_t end = start;
  while (end > root && system::is_separator(path[end - 1])) --end;
  return path.substr(0, end);
}

std::string folder_of(const std::string& path) {
  std::string folder = parent_folder(path);
  return folder.empty() ? "." : folder;
}

std::string file_name_of(const std::string& path) {
  return path.substr(name_start(path));
}

std::string bytes_text(std::uint64_t size) {
  std::string text = std::to_string(size) + " bytes";
  if (size >= (1 << 20) && size % (1 << 20) == 0)
    text += " (" + std::to_string(size >> 20) + " MiB)";
  return text;
}

std::string join_path(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  // A root ("/", "C:\") or a drive ("C:") takes the name as it is.
  if (system::root_length(directory) == directory.size() || system::is_separator(directory.back()))
    return directory + name;
  return directory + system::separator_for(directory) + name;
}

}  // namespace scenario
