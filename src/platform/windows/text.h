// The program's bytes and the system's UTF-16, converted where they meet: paths, arguments, the
// environment and message boxes. Only platform/windows/ uses it.
#pragma once

#include <string>
#include <string_view>

namespace scenario::system {

// UTF-8 as UTF-16. A byte that begins no UTF-8 character stands for its Windows-1252 character,
// so that a name in the simulator's code page converts as it reads there. The three bytes of a
// lone surrogate (as wide_to_utf8 writes it) give the surrogate back.
std::wstring utf16_from_bytes(std::string_view bytes);

// UTF-16 as UTF-8; a lone surrogate, which Windows allows in a name, is written in three bytes as
// though it were a character, so that the name converts back to itself.
std::string utf8_from_utf16(std::wstring_view text);

}  // namespace scenario::system
