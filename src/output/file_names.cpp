#include "output/file_names.h"

namespace scenario {

std::string geometry_file_name(const std::string& route) {
  return route + std::string(geometry_ending);
}

std::string scenario_file_name(const std::string& route, const std::string& train) {
  return route + "_" + train + std::string(scenario_ending);
}

std::string route_cell_file_name(const std::string& route, const std::string& train) {
  return route + "_" + train + std::string(route_cell_ending);
}

}  // namespace scenario
