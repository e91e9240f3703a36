// The kinds of object a route cell holds (its `tipo`), and the one table that names them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

using byte_t = std::uint8_t;     // Byte
using integer_t = std::int16_t;  // Integer
using long_t = std::int32_t;     // Long

// Cell type codes.
namespace tipo_cella {
inline constexpr byte_t nulla = 0;
inline constexpr byte_t segnale = 1;
inline constexpr byte_t fine_rallentamento = 2;
inline constexpr byte_t inizio_rallentamento = 3;
inline constexpr byte_t avviso_rallentamento = 4;
inline constexpr byte_t preavviso_rallentamento = 5;
inline constexpr byte_t indicatori_v_max = 6;
inline constexpr byte_t stazione = 10;
inline constexpr byte_t montagna = 11;
inline constexpr byte_t abbattimento = 12;
inline constexpr byte_t abbattimento_nullo = 13;
inline constexpr byte_t cartello_indicatore = 14;
}  // namespace tipo_cella

struct cell_kind {
  byte_t tipo;
  std::string_view name;     // "signal": in listings
  std::string_view article;  // "a" or "an", for messages
};

// The kind of a cell type code, or null for a code no compile writes.
const cell_kind* find_cell_kind(byte_t tipo);

// "signal", or "kind 7" for a code no compile writes.
std::string cell_kind_name(byte_t tipo);

// "a signal", or "an object of type 7".
std::string object_name(byte_t tipo);

}  // namespace scenario
