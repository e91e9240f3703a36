#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/interrupts.h"

namespace scenario {

file_error::file_error(const std::string& path, const std::string& action, int err)
    : file_error(path, action, std::string(std::strerror(err))) {}

file_error::file_error(const std::string& path, const std::string& action,
                       const std::string& reason)
    : std::runtime_error("cannot " + action + " \"" + path + "\": " + reason), path_(path) {}

namespace {

std::int64_t system_read(int fd, void* data, std::size_t size) {
  return ::read(fd, data, size);
}

std::int64_t system_pwrite(int fd, const void* data, std::size_t size, std::uint64_t offset) {
  return ::pwrite(fd, data, size, static_cast<off_t>(offset));
}

}  // namespace

namespace {

std::string limit_text(std::uint64_t limit) {
  std::string text = std::to_string(limit) + " bytes";
  if (limit >= (1 << 20) && limit % (1 << 20) == 0)
    text += " (" + std::to_string(limit >> 20) + " MiB)";
  return text;
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

std::optional<std::string> read_whole_file(const std::string& path, const file_calls& calls,
                                           std::uint64_t limit) {
  const auto read = calls.read ? calls.read : &system_read;
  const auto close = calls.close ? calls.close : &::close;
  // Non-blocking, so that opening a FIFO returns at once; the type check below refuses it.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    throw file_error(path, "open", errno);
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    close(fd);
    throw file_error(path, "read", err);
  }
  if (!S_ISREG(st.st_mode)) {
    close(fd);
    if (S_ISDIR(st.st_mode)) throw file_error(path, "read", EISDIR);
    throw file_error(path, "read", "not a regular file");
  }
  // Refused from its size alone, before any memory is taken for it.
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (size > limit) {
    close(fd);
    throw file_error(path, "read",
                     "it holds " + std::to_string(size) + " bytes; an input may hold at most " +
                         limit_text(limit));
  }
  // Read straight into a buffer of the size the file has; it grows only if the file does meanwhile.
  std::string out(static_cast<std::size_t>(size) + 1, '\0');
  const int result = read_to_end(fd, out, limit, read);
  close(fd);
  if (result > 0) throw file_error(path, "read", result);
  if (result < 0)
    throw file_error(path, "read",
                     "it grew past " + limit_text(limit) + ", the most an input may hold");
  return out;
}

std::string read_standard_input(std::uint64_t limit) {
  const std::string name = "standard input";
  std::string out(std::size_t{1} << 16, '\0');
  const int result = read_to_end(STDIN_FILENO, out, limit, &system_read);
  if (result > 0) throw file_error(name, "read", result);
  if (result < 0)
    throw file_error(name, "read",
                     "it holds more than " + limit_text(limit) + ", the most an input may hold");
  return out;
}

bool file_exists(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0) return true;
  if (errno == ENOENT || errno == ENOTDIR) return false;
  throw file_error(path, "look up", errno);
}

namespace {

// From this size on, a file's blocks are reserved before it is written.
constexpr std::uint64_t large_file = 1 << 20;

std::string temporary_name(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
}

}  // namespace

staged_file::staged_file(const std::string& path, std::uint64_t size,
                         const std::function<void(const byte_sink&)>& produce, flush when,
                         const file_calls& calls)
    : path_(path),
      temporary_(temporary_name(path)),
      calls_(calls),
      mark_(std::make_unique<removed_on_interrupt>(temporary_)) {
  const auto pwrite = calls_.pwrite ? calls_.pwrite : &system_pwrite;
  const auto close = calls_.close ? calls_.close : &::close;
  const auto fsync = calls_.fsync ? calls_.fsync : &::fsync;
  int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) throw file_error(path, "create", errno);
#if defined(__linux__)
  // Reserving a large file's blocks at once spares the file system doing it page by page. Only a
  // hint: the size stays as written, and a refusal leaves the writes to find any fault.
  if (size >= large_file) (void)::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size));
#endif
  auto fail_open = [&](const char* action, int err) {
    if (fd >= 0) close(fd);
    fd = -1;
    fail(action, err);
  };
  try {
    produce([&](std::uint64_t offset, std::string_view piece) {
      std::size_t done = 0;
      while (done < piece.size()) {
        const std::int64_t n = pwrite(fd, piece.data() + done, piece.size() - done, offset + done);
        if (n < 0) {
          if (errno == EINTR) continue;
          fail_open("write", errno);
        }
        if (n == 0) fail_open("write", EIO);
        done += static_cast<std::size_t>(n);
      }
    });
  } catch (const file_error&) {
    throw;
  } catch (...) {
    // The producer itself failed (a name it cannot store, say): no file is left half written.
    if (fd >= 0) close(fd);
    (calls_.unlink ? calls_.unlink : &::unlink)(temporary_.c_str());
    throw;
  }
  if (when == flush::to_disk && fsync(fd) != 0) fail_open("write", errno);
  const int closed = close(fd);
  fd = -1;
  if (closed != 0) fail("write", errno);
}

staged_file::~staged_file() {
  if (!committed_) (calls_.unlink ? calls_.unlink : &::unlink)(temporary_.c_str());
}

void staged_file::fail(const char* action, int err) {
  const auto unlink = calls_.unlink ? calls_.unlink : &::unlink;
  committed_ = true;  // removed here, or named as left behind; the destructor has nothing to do
  std::string reason = std::strerror(err);
  if (unlink(temporary_.c_str()) != 0 && errno != ENOENT)
    reason += "; the temporary file \"" + temporary_ + "\" is left behind: " + std::strerror(errno);
  throw file_error(path_, action, reason);
}

void staged_file::commit() {
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) fail("replace", errno);
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

void check_replaceable(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) throw file_error(path, "replace", EISDIR);
  } else if (errno != ENOENT && errno != ENOTDIR) {
    throw file_error(path, "replace", errno);
  }
  // The temporary is created in the folder and then renamed there: both need it writable.
  const std::string folder = folder_of(path);
  if (::stat(folder.c_str(), &st) != 0) throw file_error(path, "create", errno);
  if (!S_ISDIR(st.st_mode)) throw file_error(path, "create", ENOTDIR);
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
    throw file_error(path, "create", errno);
}

void flush_folder(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw file_error(directory, "flush the folder", errno);
  // A file system that cannot flush a folder (EINVAL) keeps its names by other means.
  if (::fsync(fd) != 0 && errno != EINVAL) {
    const int err = errno;
    ::close(fd);
    throw file_error(directory, "flush the folder", err);
  }
  ::close(fd);
}

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void make_directories(const std::string& path) {
  namespace fs = std::filesystem;
  if (path.empty()) return;
  std::error_code ec;
  fs::create_directories(path, ec);
  if (!ec) return;
  // The nearest part that exists tells whether a file stands in the way.
  for (fs::path part = fs::path(path).lexically_normal(); !part.empty();
       part = part.parent_path()) {
    std::error_code probe;
    const fs::file_status status = fs::status(part, probe);
    if (fs::exists(status)) {
      if (!fs::is_directory(status))
        throw file_error(path, "create the directory",
                         "\"" + part.string() + "\" exists and is not a directory");
      break;
    }
    if (part == part.parent_path()) break;
  }
  throw file_error(path, "create the directory", ec.message());
}

void remove_file(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw file_error(path, "delete", errno);
}

std::string program_directory() {
  std::string buffer(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n < 0) throw file_error("/proc/self/exe", "read", errno);
  buffer.resize(static_cast<std::size_t>(n));
  std::size_t slash = buffer.rfind('/');
  return slash == std::string::npos ? std::string(".") : buffer.substr(0, slash);
}

std::string join_path(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  return directory + "/" + name;
}

}  // namespace scenario
