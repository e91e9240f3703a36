#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

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

std::optional<std::string> read_whole_file(const std::string& path, const file_calls& calls) {
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
  // Read straight into a buffer of the size the file has; it grows only if the file does meanwhile.
  std::string out(static_cast<std::size_t>(st.st_size) + 1, '\0');
  std::size_t used = 0;
  for (;;) {
    if (used == out.size()) out.resize(2 * out.size());
    const std::int64_t n = read(fd, out.data() + used, out.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      close(fd);
      throw file_error(path, "read", err);
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  close(fd);
  out.resize(used);
  return out;
}

namespace {

// From this size on, a file's blocks are reserved before it is written.
constexpr std::uint64_t large_file = 1 << 20;

std::string temporary_name(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
}

}  // namespace

void replace_file(const std::string& path, std::uint64_t size,
                  const std::function<void(const byte_sink&)>& produce, const file_calls& calls) {
  const auto pwrite = calls.pwrite ? calls.pwrite : &system_pwrite;
  const auto close = calls.close ? calls.close : &::close;
  const auto unlink = calls.unlink ? calls.unlink : &::unlink;
  const std::string temp = temporary_name(path);
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) throw file_error(path, "create", errno);
#if defined(__linux__)
  // Reserving a large file's blocks at once spares the file system doing it page by page. Only a
  // hint: the size stays as written, and a refusal leaves the writes to find any fault.
  if (size >= large_file) (void)::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size));
#endif

  auto fail = [&](const char* action, int err) {
    if (fd >= 0) close(fd);
    std::string reason = std::strerror(err);
    if (unlink(temp.c_str()) != 0 && errno != ENOENT)
      reason += "; the temporary file \"" + temp + "\" is left behind: " + std::strerror(errno);
    throw file_error(path, action, reason);
  };

  try {
    produce([&](std::uint64_t offset, std::string_view piece) {
      std::size_t done = 0;
      while (done < piece.size()) {
        const std::int64_t n = pwrite(fd, piece.data() + done, piece.size() - done, offset + done);
        if (n < 0) {
          if (errno == EINTR) continue;
          fail("write", errno);
        }
        if (n == 0) fail("write", EIO);
        done += static_cast<std::size_t>(n);
      }
    });
  } catch (const file_error&) {
    throw;
  } catch (...) {
    // The producer itself failed (a name it cannot store, say): no file is left half written.
    if (fd >= 0) close(fd);
    unlink(temp.c_str());
    throw;
  }
  int closed = close(fd);
  fd = -1;
  if (closed != 0) fail("write", errno);
  if (::rename(temp.c_str(), path.c_str()) != 0) fail("replace", errno);
}

void replace_file(const std::string& path, std::string_view bytes, const file_calls& calls) {
  replace_file(
      path, bytes.size(), [bytes](const byte_sink& sink) { sink(0, bytes); }, calls);
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
  return directory + "/" + name;
}

}  // namespace scenario
