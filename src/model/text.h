// Text for documents that must be UTF-8, such as JSON. The model keeps names, fields and paths as
// the bytes they came with; outside ASCII the data files use the Windows-1252 code page.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// True when `bytes` is well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool is_utf8(std::string_view bytes);

// `bytes` as UTF-8: unchanged when it already is; otherwise every byte is read as Windows-1252, and
// the five bytes that code page leaves undefined become U+FFFD. The whole string is judged at once,
// so a text is never half converted.
std::string utf8_text(std::string_view bytes);

}  // namespace scenario
