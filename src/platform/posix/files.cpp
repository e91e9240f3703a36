// The POSIX half of file access: file descriptors, rename(2) over the target, fsync of the folder.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/system_files.h"

namespace scenario {

namespace system {

bool is_separator(char c) {
  return c == '/';
}

std::size_t root_length(std::string_view path) {
  return !path.empty() && path[0] == '/' ? 1 : 0;
}

char separator_for(std::string_view) {
  return '/';
}

std::string error_text(int err) {
  return std::strerror(err);
}

namespace {

std::int64_t system_read(int fd, void* data, std::size_t size) {
  return ::read(fd, data, size);
}

std::int64_t system_pwrite(int fd, const void* data, std::size_t size, std::uint64_t offset) {
  return ::pwrite(fd, data, size, static_cast<off_t>(offset));
}

// From this size on, a file's blocks are reserved before it is written.
[[maybe_unused]] constexpr std::uint64_t large_file = 1 << 20;

}  // namespace

const file_calls& default_calls() {
  static const file_calls calls{&system_read, &system_pwrite, &::close, &::unlink, &::fsync};
  return calls;
}

std::optional<opened_file> open_for_reading(const std::string& path) {
  // Non-blocking, so that opening a FIFO returns at once; the type check below refuses it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    throw file_error(path, "open", errno);
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    throw file_error(path, "read", err);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    if (S_ISDIR(st.st_mode)) throw file_error(path, "read", EISDIR);
    throw file_error(path, "read", "not a regular file");
  }
  return opened_file{fd, static_cast<std::uint64_t>(st.st_size)};
}

int standard_input() {
  return STDIN_FILENO;
}

std::string temporary_name(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
}

int create_temporary(const std::string& path, const std::string& temporary,
                     [[maybe_unused]] std::uint64_t size) {
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) throw file_error(path, "create", errno);
#if defined(__linux__)
  // Reserving a large file's blocks at once spares the file system doing it page by page. Only a
  // hint: the size stays as written, and a refusal leaves the writes to find any fault.
  if (size >= large_file) (void)::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size));
#endif
  return fd;
}

std::optional<std::string> rename_over(const std::string& temporary, const std::string& target) {
  if (::rename(temporary.c_str(), target.c_str()) != 0) return error_text(errno);
  return std::nullopt;
}

}  // namespace system

bool file_exists(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0) return true;
  if (errno == ENOENT || errno == ENOTDIR) return false;
  throw file_error(path, "look up", errno);
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

}  // namespace scenario
