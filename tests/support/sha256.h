// SHA-256 of bytes, in hexadecimal: the fingerprint of a compiled file that tests on every system
// compare with one recorded, so that all of them are held to the same bytes.
#pragma once

#include <string>
#include <string_view>

namespace scenario::test_support {

std::string sha256_hex(std::string_view bytes);

}  // namespace scenario::test_support
