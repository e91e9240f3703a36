// What an edit did to a compiled scenario, as data: each change with its kind, its place along the
// route and the values before and after, in the words an author uses (stations by name, signals by
// position, speeds in km/h, gradients in per mille). `scenario diff` and `scenario plot --compare`
// format it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/model.h"

namespace scenario {

// One compiled scenario as the comparison reads it. The plan is absent for a scenario compiled
// without the line geometry.
struct scenario_view {
  const std::vector<cella>* cells = nullptr;  // required
  const tabella_voci* voci = nullptr;         // required
  const track_points* plan = nullptr;
};

// The groups of changes, in the order they are reported.
enum class change_group {
  stations,
  signals,
  restrictions,
  speed_boards,
  text_boards,
  cut_points,  // code cut points and the spacing pass's markers
  approach_marks,
  other_cells,  // cell bytes that none of the groups above accounts for
  speed_limit,
  gradient,
  adhesion,
  scenery,
  records,   // general records by name: progressives, train and route data, route, train
  identity,  // the identity codes and their stamps, when they differ for their own sake
  track_plan,
};
inline constexpr int change_group_count = static_cast<int>(change_group::track_plan) + 1;

enum class change_kind { added, removed, moved, changed };

// A value as shown: none, a whole number, a decimal, or UTF-8 text.
using diff_value = std::variant<std::monostate, long long, double, std::string>;

struct field_change {
  std::string field;  // "time", "speed"; empty for a run, whose group names the value
  diff_value before;
  diff_value after;
  std::string unit;     // "km/h", "m", "per mille", or empty
  bool quoted = false;  // a name or a board text
};

struct change {
  change_group group = change_group::other_cells;
  change_kind kind = change_kind::changed;
  // Along the route, in metres as the data files write them: the object's position (after a
  // move, the new one) or where a run or stretch starts. None for a general record.
  std::optional<long long> at_m;
  std::optional<long long> to_m;    // where a run or stretch ends
  std::optional<long long> from_m;  // where a moved object stood
  std::optional<std::size_t> cell;  // the route cell of an object (after a move, the new one)
  std::optional<std::size_t> from_cell;
  std::optional<int> record;  // a general record's index
  std::string name;           // a station's name, a record's role; UTF-8
  std::string object;         // the object in words: as it is (added, moved) or was (removed)
  std::vector<field_change> fields;
  // A stretch of the track plan: the largest distance between the two plans in it, and where.
  std::optional<double> distance_m;
  std::optional<long long> distance_at_m;
};

// An object of the same kind and values that left one place and appears within this distance is
// moved; further away it is removed and added. A station, known by its name, moves any distance.
inline constexpr long long move_reach_m = 1000;
// Points of the two track plans closer than this are the same point.
inline constexpr double plan_tolerance_m = 0.1;
// Stretches of the plan this close together are reported as one.
inline constexpr long long plan_gap_m = 100;

// The changes from `a` to `b`, grouped and ordered along the route; empty when the two hold the
// same scenario. Every byte in which the compiled files differ is accounted for by some change,
// except the identity codes that follow a change of the route or train name.
std::vector<change> compare_scenarios(const scenario_view& a, const scenario_view& b);

// "stations", "speed limit" ...
std::string group_title(change_group g);
// "added", "removed", "moved", "changed".
std::string kind_word(change_kind k);
// What changed and where, without the kind: "\"Roma Ostiense\" 3100 -> 3300 m (+200 m)", "at
// 12050 m: s 3/1/1, d 2/1/1, sx 2, dx 2, rapp 0", "12000 to 14000 m: 90 -> 130 km/h".
std::string change_words(const change& c);
// A value as shown: "none", 125, 1523.40, or the text (in quotes when `quoted`).
std::string value_words(const diff_value& v, bool quoted = false);

}  // namespace scenario
