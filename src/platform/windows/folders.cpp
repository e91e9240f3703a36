#include "platform/folders.h"

#include "platform/windows/system.h"
#include "platform/windows/text.h"

namespace scenario {

std::vector<std::string> folder_entries(const std::string& directory) {
  std::vector<std::string> names;
  const std::string folder = directory.empty() ? "." : directory;
  const char last = folder.back();
  const std::string pattern = folder + (last == '/' || last == '\\' || last == ':' ? "*" : "\\*");
  WIN32_FIND_DATAW entry;
  const HANDLE search = ::FindFirstFileW(system::system_path(pattern).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring_view name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(system::utf8_from_utf16(name));
  } while (::FindNextFileW(search, &entry));
  ::FindClose(search);
  return names;
}

}  // namespace scenario
