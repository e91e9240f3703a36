// Text for JSON documents and the console: names in the compiled files are Windows-1252 bytes.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// `bytes` as UTF-8: valid UTF-8 is kept as it is; otherwise every byte is read as Windows-1252,
// the five bytes that code page leaves undefined becoming U+FFFD.
std::string json_text(std::string_view bytes);

}  // namespace scenario
