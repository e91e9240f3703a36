// "Did you mean ...?": the known name nearest to a word that matched none.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// Edits (insert, delete, replace, swap of two neighbours) that turn `a` into `b`.
std::size_t edit_distance(std::string_view a, std::string_view b);

// The nearest of `names` to `word`, when it is near enough to be a slip of the fingers: at most one
// edit per three characters of the name (at least one). The first registered wins a tie.
std::optional<std::string> closest_name(std::string_view word,
                                        const std::vector<std::string>& names);

}  // namespace scenario
