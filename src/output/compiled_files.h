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

namespace scenario {

inline constexpr std::size_t cell_record_size = 15;
// A name's length is an Integer in the scenario file.
inline constexpr std::size_t longest_name = 32767;

// A route or train name, or a record's text, that the compiled files cannot carry. It is thrown
// before any file is written.
class name_error : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

std::string encode_route_cells(const std::vector<cella>& percorso);
// Throws name_error for a name longer than longest_name.
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

// Why `name` cannot be the route or train name (`role` is "route" or "train"), or nullopt when it
// can: it must fit the scenario file, and the compiled files it names must stay inside their
// folder, so it holds no "/" and no NUL byte and is neither "." nor "..".
std::optional<std::string> name_fault(std::string_view role, std::string_view name);

// Throws name_error with the first fault of the two names.
void check_names(std::string_view route, std::string_view train);

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
// scenario, route cells. They read `c` when produced, so `c` must outlive them. Throws name_error
// when the route or train name cannot be used.
std::vector<output_file> compiled_files(const compilation& c);

}  // namespace scenario
