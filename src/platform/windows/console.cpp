#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "platform/windows/system.h"
#include "platform/windows/text.h"

namespace scenario {

namespace {

// What the run changed in the console, put back when it ends: the console is shared with the
// command prompt that started the program.
UINT original_output_code_page = 0;
struct console_mode {
  HANDLE handle = nullptr;
  DWORD mode = 0;
  bool colours = false;  // colour sequences are shown
};
console_mode output_mode, error_mode;

bool is_console(HANDLE h, DWORD& mode) {
  return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetFileType(h) == FILE_TYPE_CHAR &&
         ::GetConsoleMode(h, &mode);
}

void take_colours(console_mode& m, DWORD which) {
  m.handle = ::GetStdHandle(which);
  if (!is_console(m.handle, m.mode)) {
    m.handle = nullptr;
    return;
  }
  m.colours = (m.mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
              ::SetConsoleMode(m.handle, m.mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

void restore_console() {
  if (original_output_code_page != 0) ::SetConsoleOutputCP(original_output_code_page);
  for (const console_mode* m : {&output_mode, &error_mode})
    if (m->handle) ::SetConsoleMode(m->handle, m->mode);
}

}  // namespace

void prepare_standard_streams() {
  // The C library would write CR LF for every LF and stop reading at a Ctrl-Z byte.
  for (int fd : {0, 1, 2}) ::_setmode(fd, _O_BINARY);
  take_colours(output_mode, STD_OUTPUT_HANDLE);
  take_colours(error_mode, STD_ERROR_HANDLE);
  if (output_mode.handle || error_mode.handle) {
    original_output_code_page = ::GetConsoleOutputCP();
    ::SetConsoleOutputCP(CP_UTF8);
    std::atexit(&restore_console);
  }
}

std::vector<std::string> command_line_arguments(int argc, const char* const* argv) {
  // The system's own words, in UTF-16; argv holds them in the code page, which loses letters.
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (words == nullptr)
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(system::utf8_from_utf16(words[i]));
  ::LocalFree(words);
  return arguments;
}

bool is_terminal(standard_stream s) {
  switch (s) {
    case standard_stream::input: {
      DWORD mode = 0;
      return is_console(::GetStdHandle(STD_INPUT_HANDLE), mode);
    }
    case standard_stream::output:
      return output_mode.colours;
    case standard_stream::error:
      return error_mode.colours;
  }
  return false;
}

std::optional<std::string> environment_variable(const std::string& name) {
  const std::wstring wide_name = system::utf16_from_bytes(name);
  std::wstring value(64, L'\0');
  for (;;) {
    ::SetLastError(0);
    const DWORD n = ::GetEnvironmentVariableW(wide_name.c_str(), value.data(),
                                              static_cast<DWORD>(value.size()));
    if (n == 0) {
      if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (n < value.size()) {
      value.resize(n);
      return system::utf8_from_utf16(value);
    }
    value.resize(n);
  }
}

bool console_closes_with_program() {
  // A console of its own has this program alone attached; one a command prompt opened has the
  // prompt too. What goes to a file or a pipe is read all the same.
  DWORD processes[2];
  DWORD mode = 0;
  return ::GetConsoleProcessList(processes, 2) == 1 &&
         is_console(::GetStdHandle(STD_ERROR_HANDLE), mode);
}

bool show_message_box(std::string_view title, std::string_view text) {
  const std::wstring wide_title = system::utf16_from_bytes(title);
  const std::wstring wide_text = system::utf16_from_bytes(text);
  return ::MessageBoxW(nullptr, wide_text.c_str(), wide_title.c_str(), MB_OK | MB_SETFOREGROUND) !=
         0;
}

}  // namespace scenario
