// A pair of data files as the commands that compile one read it: both files whole, and, when the
// author saved them as UTF-8, their text in the code page the compiler reads.
#pragma once

#include <optional>
#include <string>

#include "reader/read_data.h"

namespace scenario {

// Both files; a missing or unreadable one throws file_error naming it.
data_files read_data_pair(const std::string& line_path, const std::string& train_path);

// Converts `bytes`, read as UTF-8, to Windows-1252 in place; or leaves them as they were and
// returns why not ("PATH:LINE:COLUMN: character U+2192 has no Windows-1252 form ...").
std::optional<std::string> convert_from_utf8(const std::string& path, std::string& bytes);

}  // namespace scenario
