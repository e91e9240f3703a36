#include "reader/data_file_names.h"

#include <cctype>

#include "platform/files.h"

namespace scenario {

namespace {

// Without regard to ASCII case: names made on Windows often end in "_linea.TXT".
bool ends_with_any_case(std::string_view name, std::string_view ending) {
  if (name.size() < ending.size()) return false;
  const std::string_view tail = name.substr(name.size() - ending.size());
  for (std::size_t i = 0; i < tail.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(tail[i])) !=
        std::tolower(static_cast<unsigned char>(ending[i])))
      return false;
  return true;
}

}  // namespace

std::string line_text_file_name(const std::string& route) {
  return route + std::string(line_text_ending);
}

std::string train_text_file_name(const std::string& route, const std::string& train) {
  return route + "_" + train + std::string(train_text_ending);
}

std::optional<std::string> route_from_line_file(const std::string& path) {
  const std::string name = file_name_of(path);
  if (!ends_with_any_case(name, line_text_ending) || name.size() == line_text_ending.size())
    return std::nullopt;
  return name.substr(0, name.size() - line_text_ending.size());
}

std::optional<std::string> train_from_train_file(const std::string& path,
                                                 const std::string& route) {
  const std::string name = file_name_of(path);
  const std::string head = route + "_";
  if (name.size() <= head.size() + train_text_ending.size() ||
      name.compare(0, head.size(), head) != 0 || !ends_with_any_case(name, train_text_ending))
    return std::nullopt;
  return name.substr(head.size(), name.size() - head.size() - train_text_ending.size());
}

}  // namespace scenario
