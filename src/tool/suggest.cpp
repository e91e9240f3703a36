#include "tool/suggest.h"

#include <algorithm>

namespace scenario {

std::size_t edit_distance(std::string_view a, std::string_view b) {
  // Three rows of the usual table are enough: a swap looks two rows back.
  const std::size_t width = b.size() + 1;
  std::vector<std::size_t> before(width), previous(width), current(width);
  for (std::size_t j = 0; j < width; ++j) previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j < width; ++j) {
      const std::size_t replace = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, replace});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        current[j] = std::min(current[j], before[j - 2] + 1);
    }
    std::swap(before, previous);
    std::swap(previous, current);
  }
  return previous[b.size()];
}

std::optional<std::string> closest_name(std::string_view word,
                                        const std::vector<std::string>& names) {
  std::optional<std::string> best;
  std::size_t best_distance = 0;
  for (const std::string& name : names) {
    const std::size_t d = edit_distance(word, name);
    if (d > std::max<std::size_t>(1, name.size() / 3)) continue;
    if (!best || d < best_distance) {
      best = name;
      best_distance = d;
    }
  }
  return best;
}

}  // namespace scenario
