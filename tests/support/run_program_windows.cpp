// run_program on Windows: CreateProcessW with the words quoted as the C library splits them again,
// and the streams in files of a folder of their own, as on every system.
#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "platform/windows/text.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace scenario::test_support {

namespace {

// The words as the program reads its own: UTF-8, and Windows-1252 where they are not.
std::wstring wide(const std::string& bytes) {
  return system::utf16_from_bytes(bytes);
}

// One word of the command line, so that the program's C library gives it back as it is.
std::wstring quoted(const std::wstring& word) {
  if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) return word;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : word) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are doubled only before a quote, which is escaped itself.
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(2 * backslashes, L'\\');
  out.push_back(L'"');
  return out;
}

bool same_name(const std::wstring& assignment, const std::wstring& name) {
  if (assignment.size() <= name.size() || assignment[name.size()] != L'=') return false;
  return std::equal(name.begin(), name.end(), assignment.begin(),
                    [](wchar_t a, wchar_t b) { return std::towupper(a) == std::towupper(b); });
}

// The test's environment with `changes` (NAME=value) applied, as CreateProcessW takes it.
std::wstring environment_block(const std::vector<std::string>& changes) {
  std::vector<std::wstring> entries;
  wchar_t* block = ::GetEnvironmentStringsW();
  for (const wchar_t* e = block; *e != L'\0'; e += std::wcslen(e) + 1) entries.emplace_back(e);
  ::FreeEnvironmentStringsW(block);
  for (const std::string& change : changes) {
    const std::wstring assignment = wide(change);
    const std::wstring name = assignment.substr(0, assignment.find(L'='));
    std::erase_if(entries, [&](const std::wstring& e) { return same_name(e, name); });
    entries.push_back(assignment);
  }
  std::wstring out;
  for (const std::wstring& e : entries) out += e + L'\0';
  out += L'\0';
  return out;
}

HANDLE inherited_file(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

program_output run_program(const std::string& path, const std::vector<std::string>& args,
                           const run_options& options) {
  temp_dir streams;
  program_output result;
  const HANDLE in = inherited_file(options.input_path.empty() ? "NUL" : options.input_path,
                                   GENERIC_READ, OPEN_EXISTING);
  const HANDLE out = inherited_file(streams.file("out"), GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE err = inherited_file(streams.file("err"), GENERIC_WRITE, CREATE_ALWAYS);

  std::wstring command_line = quoted(wide(path));
  for (const std::string& a : args) command_line += L" " + quoted(wide(a));
  std::wstring environment = environment_block(options.environment);
  const std::wstring folder = wide(options.working_dir);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const bool started = ::CreateProcessW(
      wide(path).c_str(), command_line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
      environment.data(), folder.empty() ? nullptr : folder.c_str(), &startup, &process);
  for (HANDLE h : {in, out, err}) ::CloseHandle(h);
  if (started) {
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    if (::GetExitCodeProcess(process.hProcess, &status)) result.status = static_cast<int>(status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  result.out = streams.read("out");
  result.err = streams.read("err");
  return result;
}

}  // namespace scenario::test_support
