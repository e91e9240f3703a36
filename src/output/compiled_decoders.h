// Reading the three compiled files back into the model: bytes in, the model or the place where the
// bytes stop making sense out. A decoder never reads past its buffer and sizes what it builds from
// what it has already checked is in the buffer.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace scenario {

struct decode_error {
  std::size_t offset = 0;  // byte offset in the file where the decoder stopped
  std::string expected;    // what it expected to find there

  friend bool operator==(const decode_error&, const decode_error&) = default;
};

template <class T>
struct decoded {
  std::optional<T> value;
  decode_error error;  // meaningful only when value is empty

  explicit operator bool() const { return value.has_value(); }
};

// Largest counts a compile can produce: a route of the longest length plus its tail.
inline constexpr std::size_t max_route_cells = 20141;
inline constexpr std::size_t max_geometry_points = 1007001;

decoded<std::vector<cella>> decode_route_cells(std::string_view bytes);
decoded<tabella_voci> decode_scenario(std::string_view bytes);
decoded<track_points> decode_geometry(std::string_view bytes);

}  // namespace scenario
