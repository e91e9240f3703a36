// The entries of a data file held to the format table, line by line, for `scenario check`: how many
// values each line gives its key, a decimal comma, values outside their ranges, and names and
// texts outside their forms. The compile reads the same text as one stream of fields; these checks
// say on the entry's own line what that stream makes of it.
#pragma once

#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "model/diagnostics.h"

namespace scenario {

struct entry_findings {
  std::vector<diagnostic> diagnostics;
  // Lines the compile reads out of step because of a fault found here (a value too few or too
  // many): the fields it passes over there follow from that fault and need no word of their own.
  std::set<std::pair<source_file, int>> out_of_step;
};

// The findings for one data file, `bytes` being its text as the compile reads it.
entry_findings check_entries(source_file file, std::string_view bytes);

}  // namespace scenario
