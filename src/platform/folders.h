// The names a folder holds, for finding a file's partners beside it.
#pragma once

#include <string>
#include <vector>

namespace scenario {

// The names of the entries of `directory` ("." and ".." left out), in no particular order;
// empty when it cannot be read.
std::vector<std::string> folder_entries(const std::string& directory);

}  // namespace scenario
