#include "reader/data_file_names.h"

namespace scenario {

namespace {

std::string base_name(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string line_text_file_name(const std::string& route) {
  return route + std::string(line_text_ending);
}

std::string train_text_file_name(const std::string& route, const std::string& train) {
  return route + "_" + train + std::string(train_text_ending);
}

std::optional<std::string> route_from_line_file(const std::string& path) {
  const std::string name = base_name(path);
  if (!name.ends_with(line_text_ending) || name.size() == line_text_ending.size())
    return std::nullopt;
  return name.substr(0, name.size() - line_text_ending.size());
}

std::optional<std::string> train_from_train_file(const std::string& path,
                                                 const std::string& route) {
  const std::string name = base_name(path);
  const std::string head = route + "_";
  if (name.size() <= head.size() + train_text_ending.size() ||
      name.compare(0, head.size(), head) != 0 || !name.ends_with(train_text_ending))
    return std::nullopt;
  return name.substr(head.size(), name.size() - head.size() - train_text_ending.size());
}

}  // namespace scenario
