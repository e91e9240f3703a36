// The Windows half of file access: handles wrapped in the C library's descriptors, ReplaceFileW
// over an older file, and the system's error codes in the words the program says on every system.
#include "platform/files.h"

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/system_files.h"
#include "platform/windows/system.h"
#include "platform/windows/text.h"

namespace scenario {

namespace system {

bool is_separator(char c) {
  return c == '/' || c == '\\';
}

std::size_t root_length(std::string_view path) {
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (drive) return path.size() >= 3 && is_separator(path[2]) ? 3 : 2;
  return !path.empty() && is_separator(path[0]) ? 1 : 0;
}

char separator_for(std::string_view folder) {
  // A folder the user wrote the Windows way goes on that way; otherwise as on every system.
  return folder.find('\\') != std::string_view::npos && folder.find('/') == std::string_view::npos
             ? '\\'
             : '/';
}

// The C library's words for these differ from one system to the next; these are the ones the
// program says everywhere.
std::string error_text(int err) {
  static constexpr struct {
    int err;
    const char* words;
  } words[] = {
      {EPERM, "Operation not permitted"},
      {ENOENT, "No such file or directory"},
      {EINTR, "Interrupted system call"},
      {EIO, "Input/output error"},
      {EBADF, "Bad file descriptor"},
      {EAGAIN, "Resource temporarily unavailable"},
      {ENOMEM, "Cannot allocate memory"},
      {EACCES, "Permission denied"},
      {EBUSY, "Device or resource busy"},
      {EEXIST, "File exists"},
      {EXDEV, "Invalid cross-device link"},
      {ENODEV, "No such device"},
      {ENOTDIR, "Not a directory"},
      {EISDIR, "Is a directory"},
      {EINVAL, "Invalid argument"},
      {ENFILE, "Too many open files in system"},
      {EMFILE, "Too many open files"},
      {EFBIG, "File too large"},
      {ENOSPC, "No space left on device"},
      {ESPIPE, "Illegal seek"},
      {EROFS, "Read-only file system"},
      {EPIPE, "Broken pipe"},
      {ENAMETOOLONG, "File name too long"},
      {ENOTEMPTY, "Directory not empty"},
      {ELOOP, "Too many levels of symbolic links"},
  };
  for (const auto& w : words)
    if (w.err == err) return w.words;
  return std::strerror(err);
}

namespace {

// The errno value of a code the C library knows, 0 for any other.
int known_errno(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_CANNOT_MAKE:
      return EACCES;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
      return EFBIG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
      return ENOTEMPTY;
    case ERROR_CANT_RESOLVE_FILENAME:
      return ELOOP;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
      return EPIPE;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    default:
      return 0;
  }
}

// A file another program holds open without letting others replace it: the simulator, which
// keeps the files of the scenario it has loaded open.
const char* const in_use = "another program has it open; close it there and try again";

std::string system_words(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT),
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring words = n > 0 ? std::wstring(buffer, n) : std::wstring();
  if (buffer) ::LocalFree(buffer);
  while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' ||
                            words.back() == L'.' || words.back() == L' '))
    words.pop_back();
  const std::string code = "Windows error " + std::to_string(error);
  return words.empty() ? code : utf8_from_utf16(words) + " (" + code + ")";
}

}  // namespace

int errno_for(DWORD error) {
  const int err = known_errno(error);
  return err != 0 ? err : EIO;
}

std::string reason_for(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return in_use;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return "not a name Windows allows";
    default: {
      const int err = known_errno(error);
      return err != 0 ? error_text(err) : system_words(error);
    }
  }
}

bool is_not_found(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

namespace {

// The path made absolute, with "\\" for every separator; the path as it is when that fails.
std::wstring full_path(const std::wstring& wide) {
  if (wide.starts_with(L"\\\\?\\")) return wide;
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return wide;
  full.resize(length);
  return full;
}

std::wstring long_form(const std::wstring& full) {
  if (full.starts_with(L"\\\\?\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace

std::wstring system_path(const std::string& path) {
  const std::wstring wide = utf16_from_bytes(path);
  // Short paths go as they are; a long one in the form without the limit, which must be whole.
  if (wide.size() < MAX_PATH - 12) return wide;
  return long_form(full_path(wide));
}

namespace {

HANDLE handle_of(int fd) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// Asks no more of one call than a DWORD counts.
DWORD chunk(std::size_t size) {
  return static_cast<DWORD>(size < (std::size_t{1} << 30) ? size : (std::size_t{1} << 30));
}

int failed(DWORD error) {
  errno = errno_for(error);
  return -1;
}

std::int64_t system_read(int fd, void* data, std::size_t size) {
  DWORD n = 0;
  if (::ReadFile(handle_of(fd), data, chunk(size), &n, nullptr)) return n;
  const DWORD error = ::GetLastError();
  // A pipe whose writer has gone has simply ended.
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
  return failed(error);
}

std::int64_t system_pwrite(int fd, const void* data, std::size_t size, std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD n = 0;
  if (::WriteFile(handle_of(fd), data, chunk(size), &n, &at)) return n;
  return failed(::GetLastError());
}

int system_close(int fd) {
  return ::_close(fd);
}

int system_unlink(const char* path) {
  if (::DeleteFileW(system_path(path).c_str())) return 0;
  return failed(::GetLastError());
}

int system_fsync(int fd) {
  if (::FlushFileBuffers(handle_of(fd))) return 0;
  return failed(::GetLastError());
}

// Whether a part of the path is longer than a file name may be; the system may call that a name
// not found, or one not valid.
bool has_overlong_part(const std::string& path) {
  std::size_t part = 0;
  for (const wchar_t c : utf16_from_bytes(path)) {
    part = c == L'/' || c == L'\\' ? 0 : part + 1;
    if (part > 255) return true;
  }
  return false;
}

// Why a name could not be found: a part too long, a part on the way that is a file, or nothing
// there at all.
std::string missing_reason(const std::string& path) {
  if (has_overlong_part(path)) return error_text(ENAMETOOLONG);
  for (std::string part = parent_folder(path); !part.empty(); part = parent_folder(part)) {
    const DWORD attributes = ::GetFileAttributesW(system_path(part).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return error_text(ENOTDIR);
      break;
    }
    if (parent_folder(part) == part) break;
  }
  return error_text(ENOENT);
}

// The reason for a code that came with this path: a name refused for a part longer than a file
// name may be is said to be too long, as on every system.
std::string reason_for_path(DWORD error, const std::string& path) {
  if ((error == ERROR_INVALID_NAME || error == ERROR_FILENAME_EXCED_RANGE || is_not_found(error)) &&
      has_overlong_part(path))
    return error_text(ENAMETOOLONG);
  return reason_for(error);
}

// From this size on, a file's space is reserved before it is written.
constexpr std::uint64_t large_file = 1 << 20;

// Why the file at `target` cannot be replaced now: a folder stands there, it is read-only,
// another program holds it open (the simulator keeps the files of a loaded scenario open) or the
// system refuses; nullopt when it can, or when no file has the name.
std::optional<std::string> why_kept(const std::string& target) {
  const std::wstring path = system_path(target);
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (is_not_found(error)) return std::nullopt;
    return reason_for_path(error, target);
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return error_text(EISDIR);
  if (attributes & FILE_ATTRIBUTE_READONLY) return "the file is read-only";
  // Opened as a replacement opens it: the sharing that another program's handle allows decides.
  const HANDLE probe =
      ::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return reason_for_path(::GetLastError(), target);
  ::CloseHandle(probe);
  return std::nullopt;
}

}  // namespace

const file_calls& default_calls() {
  static const file_calls calls{&system_read, &system_pwrite, &system_close, &system_unlink,
                                &system_fsync};
  return calls;
}

std::optional<opened_file> open_for_reading(const std::string& path) {
  // Backup semantics let a folder open too, so that it is refused by what it is.
  const HANDLE h = ::CreateFileW(system_path(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (is_not_found(error)) {
      const std::string reason = missing_reason(path);
      if (reason == error_text(ENOENT)) return std::nullopt;
      throw file_error(path, "open", reason);
    }
    throw file_error(path, "open", reason_for_path(error, path));
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool disk = ::GetFileType(h) == FILE_TYPE_DISK;
  if (!disk || !::GetFileInformationByHandle(h, &info)) {
    ::CloseHandle(h);
    throw file_error(path, "read", "not a regular file");
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    ::CloseHandle(h);
    throw file_error(path, "read", EISDIR);
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    const int err = errno;
    ::CloseHandle(h);
    throw file_error(path, "open", err);
  }
  const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  return opened_file{fd, size};
}

int standard_input() {
  return 0;
}

std::string temporary_name(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp." + std::to_string(::GetCurrentProcessId()) + "." + std::to_string(counter++);
}

int create_temporary(const std::string& path, const std::string& temporary, std::uint64_t size) {
  HANDLE h = INVALID_HANDLE_VALUE;
  DWORD error = 0;
  {
    SRWLOCK& lock = temporary_creation_lock();
    ::AcquireSRWLockExclusive(&lock);
    // Others may read it, and the removal on an interrupt may delete it while it is open.
    h = ::CreateFileW(system_path(temporary).c_str(), GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
    error = ::GetLastError();
    ::ReleaseSRWLockExclusive(&lock);
  }
  if (h == INVALID_HANDLE_VALUE)
    throw file_error(
        path, "create",
        is_not_found(error) ? missing_reason(temporary) : reason_for_path(error, temporary));
  if (size >= large_file) {
    // Only a hint, as on every system: the writes find any fault.
    FILE_ALLOCATION_INFO allocation{};
    allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
    (void)::SetFileInformationByHandle(h, FileAllocationInfo, &allocation, sizeof allocation);
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    const int err = errno;
    ::CloseHandle(h);
    ::DeleteFileW(system_path(temporary).c_str());
    throw file_error(path, "create", err);
  }
  return fd;
}

std::optional<std::string> rename_over(const std::string& temporary, const std::string& target) {
  // Asked first: a replacement that fails may leave a file of its own behind.
  if (std::optional<std::string> reason = why_kept(target)) return reason;
  // Whole paths: some implementations of ReplaceFileW find the folder only after a "\\".
  const std::wstring from = full_path(system_path(temporary));
  const std::wstring to = full_path(system_path(target));
  if (::ReplaceFileW(to.c_str(), from.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                     nullptr))
    return std::nullopt;
  DWORD error = ::GetLastError();
  // No older file; or the older one is gone and the new one still has its temporary name.
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return std::nullopt;
    error = ::GetLastError();
  }
  return why_kept(target).value_or(reason_for_path(error, target));
}

}  // namespace system

bool file_exists(const std::string& path) {
  if (::GetFileAttributesW(system::system_path(path).c_str()) != INVALID_FILE_ATTRIBUTES)
    return true;
  const DWORD error = ::GetLastError();
  if (system::is_not_found(error) && !system::has_overlong_part(path)) return false;
  throw file_error(path, "look up", system::reason_for_path(error, path));
}

void check_replaceable(const std::string& path) {
  // A file one of a set cannot replace is found before any is replaced.
  if (const std::optional<std::string> reason = system::why_kept(path))
    throw file_error(path, "replace", *reason);
  const std::string folder = folder_of(path);
  const DWORD folder_attributes = ::GetFileAttributesW(system::system_path(folder).c_str());
  if (folder_attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    throw file_error(
        path, "create",
        system::is_not_found(error) ? system::missing_reason(path) : system::reason_for(error));
  }
  if (!(folder_attributes & FILE_ATTRIBUTE_DIRECTORY)) throw file_error(path, "create", ENOTDIR);
}

void flush_folder(const std::string&) {
  // Nothing to do: the names of replaced files were written through by the replacement itself.
}

void make_directories(const std::string& path) {
  if (path.empty()) return;
  std::string whole = path;
  while (whole.size() > system::root_length(whole) && system::is_separator(whole.back()))
    whole.pop_back();
  // The parts that are missing, from the deepest; the nearest that exists must be a folder.
  std::vector<std::string> missing;
  for (std::string part = whole; !part.empty();) {
    const DWORD attributes = ::GetFileAttributesW(system::system_path(part).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw file_error(path, "create the directory",
                         "\"" + part + "\" exists and is not a directory");
      break;
    }
    const DWORD error = ::GetLastError();
    if (!system::is_not_found(error))
      throw file_error(path, "create the directory", system::reason_for_path(error, part));
    missing.push_back(part);
    const std::string parent = parent_folder(part);
    if (parent == part) break;
    part = parent;
  }
  for (auto part = missing.rbegin(); part != missing.rend(); ++part) {
    if (::CreateDirectoryW(system::system_path(*part).c_str(), nullptr)) continue;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS)
      throw file_error(path, "create the directory", system::reason_for_path(error, *part));
  }
}

void remove_file(const std::string& path) {
  if (::DeleteFileW(system::system_path(path).c_str())) return;
  const DWORD error = ::GetLastError();
  if (!system::is_not_found(error))
    throw file_error(path, "delete", system::reason_for_path(error, path));
}

std::string program_directory() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0)
      throw file_error("the program's own file", "find", system::reason_for(::GetLastError()));
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  // A path in the long form names the folder in the short one where it can.
  if (buffer.starts_with(L"\\\\?\\") && !buffer.starts_with(L"\\\\?\\UNC\\")) buffer.erase(0, 4);
  return folder_of(system::utf8_from_utf16(buffer));
}

}  // namespace scenario
