#include "tool/data_pair.h"

#include <cerrno>
#include <cstdint>
#include <iomanip>
#include <sstream>

#include "platform/files.h"
#include "tool/text_encoding.h"

namespace scenario {

data_files read_data_pair(const std::string& line_path, const std::string& train_path) {
  data_files files;
  files.line_description = read_whole_file(line_path);
  if (!files.line_description) throw file_error(line_path, "open", ENOENT);
  files.train_scenario = read_whole_file(train_path);
  if (!files.train_scenario) throw file_error(train_path, "open", ENOENT);
  return files;
}

std::optional<std::string> convert_from_utf8(const std::string& path, std::string& bytes) {
  std::string converted;
  const std::optional<conversion_fault> f = cp1252_from_utf8(bytes, converted);
  if (!f) {
    bytes = std::move(converted);
    return std::nullopt;
  }
  std::ostringstream reason;
  reason << path << ':' << f->line << ':' << f->column << ": ";
  if (f->code_point == 0) {
    reason << "the bytes here are not UTF-8, though --input-encoding utf-8 was given";
  } else {
    reason << "character U+" << std::hex << std::uppercase << std::setw(4) << std::setfill('0')
           << static_cast<std::uint32_t>(f->code_point)
           << " has no Windows-1252 form, the code page of the simulator; replace it";
  }
  return reason.str();
}

}  // namespace scenario
