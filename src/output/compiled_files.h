// The three compiled files the simulator loads: their names and their bytes.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"

namespace scenario {

inline constexpr std::size_t cell_record_size = 15;

std::string encode_route_cells(const std::vector<cella>& percorso);
std::string encode_scenario(const tabella_voci& voci);
std::string encode_geometry(const tracciato_t& tracciato);

// File names, relative to the program's directory.
std::string geometry_file_name(const std::string& route);
std::string scenario_file_name(const std::string& route, const std::string& train);
std::string route_cell_file_name(const std::string& route, const std::string& train);
std::string line_text_file_name(const std::string& route);
std::string train_text_file_name(const std::string& route, const std::string& train);

struct output_file {
  std::string name;
  std::string bytes;
};

// The compiled files of a compilation in their write order: line geometry (when the plan is built),
// scenario, route cells.
std::vector<output_file> compiled_files(const compilation& c);

}  // namespace scenario
