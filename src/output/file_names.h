// The names of the three compiled files, built from the route and train names. Names are relative
// to their folder.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

inline constexpr std::string_view geometry_ending = "_linea.dat";
inline constexpr std::string_view scenario_ending = ".sim";
inline constexpr std::string_view route_cell_ending = ".dat";

std::string geometry_file_name(const std::string& route);
std::string scenario_file_name(const std::string& route, const std::string& train);
std::string route_cell_file_name(const std::string& route, const std::string& train);

}  // namespace scenario
