// The three compiled files the simulator loads: their names and their bytes.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "output/bytes.h"
#include "output/file_names.h"
#include "platform/byte_sink.h"

namespace scenario {

inline constexpr std::size_t cell_record_size = 15;
// A name's length is an Integer in the scenario file.
inline constexpr std::size_t longest_name = 32767;

std::string encode_route_cells(const std::vector<cella>& percorso);
// Throws std::length_error for a name longer than longest_name, which the reader never gives and
// the names of the compile are checked against before.
std::string encode_scenario(const tabella_voci& voci);
// The line geometry file in pieces of at most geometry_chunk_size bytes, or whole: generated from
// the plan's runs, or from a table of elements (a decoded file).
inline constexpr std::size_t geometry_chunk_size = 256 * 1024;
void encode_geometry(const tracciato_t& plan, const byte_sink& sink);
std::string encode_geometry(const tracciato_t& plan);
void encode_geometry(const track_points& points, const byte_sink& sink);
std::string encode_geometry(const track_points& points);
// The size of the line geometry file of the plan, known before it is generated.
std::size_t geometry_size(const tracciato_t& plan);

// A compiled file to write: `produce` hands its `size` bytes to a sink in pieces. The line
// geometry file is produced in pieces straight from the track plan, so its megabytes are never
// held at once.
struct output_file {
  std::string name;
  std::uint64_t size = 0;
  std::function<void(const byte_sink&)> produce;

  std::string bytes() const;  // all of it in one string
};

// The compiled files of a compilation in their write order: line geometry (when the plan is built),
// scenario, route cells. They read `c` when produced, so `c` must outlive them. The route and train
// names must be ones the files can carry (see name_fault).
std::vector<output_file> compiled_files(const compilation& c);

}  // namespace scenario
