#include "model/fault_codes.h"

#include <algorithm>
#include <array>

namespace scenario {

namespace {

// clang-format off
constexpr std::array<code_description, 41> codes{{
    {fault_code::route_length, "route length out of range",
     "route length outside 0 .. 1000000 m"},
    {fault_code::progressive_grid, "kilometre progressive not on the 50 m grid",
     "kilometre progressive whose position or value is not a multiple of 50"},
    {fault_code::repetition_start_grid, "signal repetition start not a multiple of 50",
     "first position of the signal repetition is not a multiple of 50"},
    {fault_code::repetition_end_grid, "signal repetition end not a multiple of 50",
     "second position of the signal repetition is not a multiple of 50"},
    {fault_code::repetition_codes, "signal repetition without a number of codes",
     "signal repetition key names neither 4 nor 9 codes"},
    {fault_code::text_board_taken, "text board on an occupied cell",
     "text board on a cell that already holds an object"},
    {fault_code::cut_point_taken, "code cut point on an occupied cell",
     "code cut point on a cell that already holds an object"},
    {fault_code::station_position_grid, "station position not a multiple of 50",
     "station position is not a multiple of 50"},
    {fault_code::station_length_grid, "station length not a multiple of 100",
     "station length is not a multiple of 100"},
    {fault_code::too_many_stations, "too many stations",
     "too many stations: the station records would reach the text-board records"},
    {fault_code::marker_before_warning, "no room for a code cut marker in front of a signal",
     "no free cell for a code cut marker in front of a signal before a warning board"},
    {fault_code::marker_before_start, "no room for a code cut marker before a restriction start",
     "no free cell for a code cut marker before a restriction start"},
    {fault_code::marker_inside_or_after, "no room for a code cut marker inside or after a slow restriction",
     "no free cell for a code cut marker inside or after a slow restriction"},
    {fault_code::outside_route, "position outside the route",
     "position outside the route"},
    {fault_code::signal_taken, "signal on an occupied cell",
     "signal on a cell that already holds an object"},
    {fault_code::warning_taken, "restriction warning board on an occupied cell",
     "restriction warning board on a cell that already holds an object"},
    {fault_code::restriction_start_taken, "restriction start on an occupied cell",
     "restriction start on a cell that already holds an object"},
    {fault_code::restriction_end_taken, "restriction end on an occupied cell or past the route",
     "restriction end on a cell that already holds an object, or beyond the route"},
    {fault_code::approach_taken, "restriction approach cells taken",
     "restriction approach cells already hold an object"},
    {fault_code::speed_board_taken, "speed-limit board on an occupied cell",
     "speed-limit board on a cell that already holds an object"},
    {fault_code::stations_too_close, "stations too close",
     "station area starts less than 350 m after the previous station ends"},
    {fault_code::station_end_too_early, "station end cell too early",
     "station end cell lies at or before cell 1"},
    {fault_code::unreadable_entry, "unreadable entry",
     "unreadable entry: a value does not fit its field, a field is not a number, or the file ends too early"},
    {fault_code::no_line_description, "line description not found",
     "line description file not found"},
    {fault_code::no_general_section, "no [generale] section",
     "no \"[generale]\" section in the line description file"},
    {fault_code::curve_refused, "curve refused",
     "curve refused: no class digit 1 to 6 in its key, or the track plan would pass its last point or 1000000 m"},
    {fault_code::no_route_length, "no route length",
     "no \"lunghezza percorso\" before the end of the general section"},
    {fault_code::too_many_spans, "more than 80 mountain spans",
     "more than 80 mountain spans"},
    {fault_code::too_many_text_boards, "more than 81 text boards",
     "more than 81 text boards"},
    {fault_code::unknown_key, "unknown key",
     "unknown key"},
    {fault_code::stray_value, "stray value",
     "stray value"},
    {fault_code::backwards, "positions go backwards",
     "positions go backwards"},
    {fault_code::beyond_end, "entry beyond the route's end",
     "entry beyond the route's end"},
    {fault_code::same_position, "two entries at the same position",
     "two entries at the same position"},
    {fault_code::looks_like_utf8, "text looks like UTF-8",
     "text looks like UTF-8"},
    {fault_code::not_windows_1252, "character without a Windows-1252 form",
     "character without a Windows-1252 form"},
    {fault_code::value_count, "wrong number of values",
     "an entry's line holds more or fewer values than its key takes"},
    {fault_code::out_of_range, "value outside its range",
     "a value outside the range a real scenario uses, or one its field cannot hold"},
    {fault_code::text_form, "name or text outside its form",
     "a name or text outside the form the built-in files use"},
    {fault_code::scenario_marker_taken, "cell 1 or the route record already taken (stamp marker)",
     "cell 1 or the route record already holds the scenario marker value"},
    {fault_code::identity_code_taken, "cell 1 or the route record already taken (identity code)",
     "cell 1 or the route record already holds an identity code"},
}};
// clang-format on

}  // namespace

std::span<const code_description> code_descriptions() {
  return codes;
}

const code_description* find_code(std::int32_t code) {
  const auto it =
      std::lower_bound(codes.begin(), codes.end(), code,
                       [](const code_description& d, std::int32_t c) { return d.code < c; });
  return it != codes.end() && it->code == code ? &*it : nullptr;
}

std::string describe_code(std::int32_t code) {
  const code_description* d = find_code(code);
  return d ? std::string(d->words) : "fault " + std::to_string(code);
}

}  // namespace scenario
