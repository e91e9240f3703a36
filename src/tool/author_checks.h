// What `scenario check` adds to a compile: warnings about text that compiles but is probably not
// what its author meant. The compile itself never gives them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace scenario {

// Codes of the author checks; above the compiler's own codes so the two never meet.
namespace author_code {
inline constexpr std::int32_t unknown_key = 201;
inline constexpr std::int32_t stray_value = 202;
inline constexpr std::int32_t backwards = 203;
inline constexpr std::int32_t beyond_end = 204;
inline constexpr std::int32_t same_position = 205;
inline constexpr std::int32_t looks_like_utf8 = 206;
inline constexpr std::int32_t not_windows_1252 = 207;
}  // namespace author_code

// The known key nearest to `key` for `file`, empty when none is near enough to be a likely typo.
std::string nearest_key(source_file file, std::string_view key, bool general_section);

// The warnings and notes for a compilation made from `line_bytes` and `train_bytes`.
// `check_encoding` false when the text has already been converted from UTF-8.
std::vector<diagnostic> author_warnings(const compilation& c, std::string_view line_bytes,
                                        std::string_view train_bytes, bool check_encoding);

}  // namespace scenario
