// Every code a diagnostic carries, by name: the compiler's faults, the guard checks and the author
// checks. The readers, the messages and the explanations all take their codes from here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace scenario {

namespace fault_code {
// Reading the line description.
inline constexpr std::int32_t route_length = 1;
inline constexpr std::int32_t progressive_grid = 2;
inline constexpr std::int32_t repetition_start_grid = 3;
inline constexpr std::int32_t repetition_end_grid = 4;
inline constexpr std::int32_t repetition_codes = 5;
inline constexpr std::int32_t text_board_taken = 6;
// Reading the train scenario.
inline constexpr std::int32_t cut_point_taken = 7;
inline constexpr std::int32_t station_position_grid = 8;
inline constexpr std::int32_t station_length_grid = 9;
inline constexpr std::int32_t too_many_stations = 10;
// The spacing pass (warnings).
inline constexpr std::int32_t marker_before_warning = 11;
inline constexpr std::int32_t marker_before_start = 12;
inline constexpr std::int32_t marker_inside_or_after = 13;
// Placing entries.
inline constexpr std::int32_t outside_route = 15;
inline constexpr std::int32_t signal_taken = 16;
inline constexpr std::int32_t warning_taken = 17;
inline constexpr std::int32_t restriction_start_taken = 18;
inline constexpr std::int32_t restriction_end_taken = 19;
inline constexpr std::int32_t approach_taken = 20;
inline constexpr std::int32_t speed_board_taken = 21;
inline constexpr std::int32_t stations_too_close = 22;
inline constexpr std::int32_t station_end_too_early = 24;
inline constexpr std::int32_t unreadable_entry = 25;
// The line description as a whole.
inline constexpr std::int32_t no_line_description = 101;
inline constexpr std::int32_t no_general_section = 102;
inline constexpr std::int32_t curve_refused = 103;
inline constexpr std::int32_t no_route_length = 104;
inline constexpr std::int32_t too_many_spans = 105;
inline constexpr std::int32_t too_many_text_boards = 106;
// The author checks of `scenario check`; above the compiler's codes so the two never meet.
inline constexpr std::int32_t unknown_key = 201;
inline constexpr std::int32_t stray_value = 202;
inline constexpr std::int32_t backwards = 203;
inline constexpr std::int32_t beyond_end = 204;
inline constexpr std::int32_t same_position = 205;
inline constexpr std::int32_t looks_like_utf8 = 206;
inline constexpr std::int32_t not_windows_1252 = 207;
inline constexpr std::int32_t value_count = 208;
inline constexpr std::int32_t out_of_range = 209;
inline constexpr std::int32_t text_form = 210;
// The guard checks before writing.
inline constexpr std::int32_t scenario_marker_taken = 1250;
inline constexpr std::int32_t identity_code_taken = 1251;
}  // namespace fault_code

struct code_description {
  std::int32_t code;
  std::string_view title;  // a few words, for listings and explanations
  std::string_view words;  // the plain words of a diagnostic that has no message of its own
};

// Every code, in increasing order.
std::span<const code_description> code_descriptions();

// The description of `code`, or null.
const code_description* find_code(std::int32_t code);

// Plain words for a fault code: its words, or "fault N" for a code not in the table.
std::string describe_code(std::int32_t code);

}  // namespace scenario
