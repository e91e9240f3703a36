// The two identity codes stamped into every compiled scenario, and the guard checks before them.
#pragma once

#include <string>

#include "model/model.h"

namespace scenario {

inline constexpr integer_t route_record_marker = 610;  // route record's intero1
inline constexpr integer_t cell_marker = 5121;         // cell 1's valore1

// Lower case in the Windows-1252 code page: A-Z, 0xC0-0xDE except 0xD7, and 0x8A, 0x8C, 0x8E, 0x9F.
std::string to_lower_cp1252(std::string s);

// Plain code: the sum of the 25 character codes of the working string (an Integer).
tagged_value plain_identity_code(const tabella_voci& voci);
// Position-weighted code: the sum of i times the i-th character code, i = 1 .. 25 (a Long).
tagged_value weighted_identity_code(const tabella_voci& voci);

// Runs the guard checks and stamps the markers and codes. Returns 0, or 1250 / 1251 when a guard
// check fails, in which case nothing after that check has been done.
long_t stamp_identity_codes(compilation& c);

// The diagnostic of a failed guard check (`code` as returned above, on the same compilation): what
// holds cell 1 or the route record, and the entry (file and position field) or the spacing step
// that put it there.
diagnostic guard_diagnostic(const compilation& c, long_t code);

}  // namespace scenario
