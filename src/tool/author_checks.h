// What `scenario check` adds to a compile: warnings about text that compiles but is probably not
// what its author meant. The compile itself never gives them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/fault_codes.h"
#include "model/model.h"

namespace scenario {

// The known key nearest to `key` for `file`, empty when none is near enough to be a likely typo.
std::string nearest_key(source_file file, std::string_view key, bool general_section);

// The warnings and notes for a compilation made from `line_bytes` and `train_bytes`, in file order.
// `check_encoding` false when the text has already been converted from UTF-8.
std::vector<diagnostic> author_warnings(const compilation& c, std::string_view line_bytes,
                                        std::string_view train_bytes, bool check_encoding);

// What `scenario check` reports: the compile's diagnostics and the author warnings, in file order
// (those of no file after them). On a line the compile refused, the compile alone speaks of its
// values, their count and its position; after the first refusal the reading went on from, a note
// says that what follows may follow from it.
std::vector<diagnostic> check_report(const compilation& c, std::string_view line_bytes,
                                     std::string_view train_bytes, bool check_encoding);

}  // namespace scenario
