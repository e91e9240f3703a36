#include "platform/folders.h"

#include <dirent.h>

#include <string_view>

namespace scenario {

std::vector<std::string> folder_entries(const std::string& directory) {
  std::vector<std::string> names;
  DIR* folder = ::opendir(directory.empty() ? "." : directory.c_str());
  if (folder == nullptr) return names;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(folder);
  return names;
}

}  // namespace scenario
