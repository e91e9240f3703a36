// The names of the two data files, built from the route and train names, and the route and train
// names read back from a data file's name. Names are relative to their folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scenario {

inline constexpr std::string_view line_text_ending = "_linea.txt";
inline constexpr std::string_view train_text_ending = "-.txt";

std::string line_text_file_name(const std::string& route);
std::string train_text_file_name(const std::string& route, const std::string& train);

// The route name from "<route>_linea.txt" and the train name from "<route>_<train>-.txt"
// (folders ignored, the endings in any letter case); nullopt when a name does not follow that form.
std::optional<std::string> route_from_line_file(const std::string& path);
std::optional<std::string> train_from_train_file(const std::string& path, const std::string& route);

}  // namespace scenario
