// The names of every file the programs read or write, built from the route and train names, and the
// route and train names read back from a data file's name. Names are relative to their folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scenario {

// Endings of the names.
inline constexpr std::string_view line_text_ending = "_linea.txt";
inline constexpr std::string_view train_text_ending = "-.txt";
inline constexpr std::string_view geometry_ending = "_linea.dat";
inline constexpr std::string_view scenario_ending = ".sim";
inline constexpr std::string_view route_cell_ending = ".dat";

// The two data files.
std::string line_text_file_name(const std::string& route);
std::string train_text_file_name(const std::string& route, const std::string& train);

// The three documents.
std::string notes_file_name(const std::string& route, const std::string& train);
std::string restrictions_file_name(const std::string& route, const std::string& train);
std::string timetable_file_name(const std::string& route, const std::string& train);

// The three compiled files.
std::string geometry_file_name(const std::string& route);
std::string scenario_file_name(const std::string& route, const std::string& train);
std::string route_cell_file_name(const std::string& route, const std::string& train);

// The route name from "<route>_linea.txt" and the train name from "<route>_<train>-.txt"
// (folders ignored); nullopt when a name does not follow that form.
std::optional<std::string> route_from_line_file(const std::string& path);
std::optional<std::string> train_from_train_file(const std::string& path, const std::string& route);

bool ends_with(std::string_view s, std::string_view tail);

}  // namespace scenario
