// What the compiled files say, in words an author reads: the kind of a file, the objects of the
// route cells with their values decoded, runs of equal line properties. Shared by dump and plot.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace scenario {

enum class compiled_kind { cells, scenario, geometry };

// The name that stands for standard input (or output) where one file is read (or written).
inline constexpr std::string_view standard_input_name = "-";
// The path as messages show it: "standard input" for "-".
std::string shown_name(const std::string& path);

// "_linea.dat" geometry, ".sim" scenario, any other ".dat" route cells; in any letter case.
std::optional<compiled_kind> kind_from_name(const std::string& path);
std::optional<compiled_kind> kind_from_word(const std::string& word);

// The path with the ending of its file name (from the name's last dot on) replaced, or added when
// the name has none: the file of another kind beside it.
std::string with_ending(const std::string& path, std::string_view ending);
// The scenario file beside a route cell file: the same name ending in ".sim".
std::string scenario_beside(const std::string& cell_path);
// The geometry file beside a route cell file: "<route>_linea.dat" in its directory, with the route
// name from record 85 when known, else the longest "<prefix>_linea.dat" that exists.
std::optional<std::string> geometry_beside(const std::string& cell_path, const tabella_voci* voci);

inline long_t cell_position(std::size_t index) {
  return static_cast<long_t>(index) * 50;
}

// The values of a signal cell: heads s1..s3 and d1..d3 from valore1..3, rapp, sx and dx from
// valore4.
struct signal_values {
  int s[3];
  int d[3];
  int rapp, sx, dx, tempo;
};
signal_values signal_of(const cella& c);

// A speed-limit board cell: the three speeds of each side in km/h and the stripe counts.
struct board_values {
  int left[3];
  int right[3];
  int stripes_left, stripes_right;
};
board_values board_of(const cella& c);

// The object of a cell in words, with the names from the general records when they are known.
// Names come out as UTF-8.
std::string describe_object(const cella& c, const tabella_voci* voci);
nlohmann::json object_json(std::size_t index, const cella& c, const tabella_voci* voci);
nlohmann::json cell_json(std::size_t index, const cella& c);

// Seconds after midnight as hh:mm:ss (hours may pass 24).
std::string clock_text(long_t seconds);

// Consecutive cells that share a value.
struct value_run {
  std::size_t first;
  std::size_t last;
  int value;
};
std::vector<value_run> runs_of(const std::vector<cella>& cells, byte_t cella::*field);

// The unit of a line property as shown: speed limit in km/h, gradient in per mille.
int speed_kmh(byte_t velocita_limite);
int gradient_per_mille(byte_t pendenza);

// General records 1..80 that hold a station; the others in that range that have a name are boards.
bool is_station_record(const voce_generale& v);

}  // namespace scenario

namespace scenario {

// A compiled file read and decoded, or the message that names the file and, for a damaged file,
// the byte offset and what was expected there. "-" reads standard input.
template <class T>
struct loaded {
  std::optional<T> value;
  std::string message;  // meaningful only when value is empty

  explicit operator bool() const { return value.has_value(); }
  const T& operator*() const { return *value; }
  const T* operator->() const { return &*value; }
};

loaded<std::vector<cella>> load_route_cells(const std::string& path);
loaded<tabella_voci> load_scenario(const std::string& path);
loaded<track_points> load_geometry(const std::string& path);

}  // namespace scenario
