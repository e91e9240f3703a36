#include "output/file_names.h"

namespace scenario {

namespace {

std::string base_name(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string prefix(const std::string& route, const std::string& train) {
  return route + "_" + train;
}

}  // namespace

bool ends_with(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::string line_text_file_name(const std::string& route) {
  return route + std::string(line_text_ending);
}
std::string train_text_file_name(const std::string& route, const std::string& train) {
  return prefix(route, train) + std::string(train_text_ending);
}

std::string notes_file_name(const std::string& route, const std::string& train) {
  return prefix(route, train) + "_note.txt";
}
std::string restrictions_file_name(const std::string& route, const std::string& train) {
  return prefix(route, train) + "_rallentamenti.txt";
}
std::string timetable_file_name(const std::string& route, const std::string& train) {
  return prefix(route, train) + "_scheda_treno.txt";
}

std::string geometry_file_name(const std::string& route) {
  return route + std::string(geometry_ending);
}
std::string scenario_file_name(const std::string& route, const std::string& train) {
  return prefix(route, train) + std::string(scenario_ending);
}
std::string route_cell_file_name(const std::string& route, const std::string& train) {
  return prefix(route, train) + std::string(route_cell_ending);
}

std::optional<std::string> route_from_line_file(const std::string& path) {
  const std::string name = base_name(path);
  if (!ends_with(name, line_text_ending) || name.size() == line_text_ending.size())
    return std::nullopt;
  return name.substr(0, name.size() - line_text_ending.size());
}

std::optional<std::string> train_from_train_file(const std::string& path,
                                                 const std::string& route) {
  const std::string name = base_name(path);
  const std::string head = route + "_";
  if (name.size() <= head.size() + train_text_ending.size() ||
      name.compare(0, head.size(), head) != 0 || !ends_with(name, train_text_ending))
    return std::nullopt;
  return name.substr(head.size(), name.size() - head.size() - train_text_ending.size());
}

}  // namespace scenario
