// Text for documents that must be UTF-8, such as JSON. The model keeps names, fields and paths as
// the bytes they came with; outside ASCII the data files use the Windows-1252 code page.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace scenario {

// True when `bytes` is well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool is_utf8(std::string_view bytes);

// `bytes` as UTF-8: unchanged when it already is; otherwise every byte is read as Windows-1252, and
// the five bytes that code page leaves undefined become U+FFFD. The whole string is judged at once,
// so a text is never half converted.
std::string utf8_text(std::string_view bytes);

// `text` with the characters XML 1.0 forbids replaced by U+FFFD: the control characters but tab,
// line feed and carriage return, and the noncharacters U+FFFE and U+FFFF (bytes EF BF BE and
// EF BF BF). A name may hold any of them; an SVG or JSON reader must still take the document.
std::string without_forbidden_characters(std::string_view text);

// Where a UTF-8 to Windows-1252 conversion stopped: 1-based line and byte column of the character,
// and its code point (0 when the bytes there are not UTF-8 at all).
struct conversion_fault {
  int line = 0;
  int column = 0;
  char32_t code_point = 0;
};

// The UTF-8 byte order mark, U+FEFF at the start of a file: editors on Windows write it by default.
inline constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

inline bool has_byte_order_mark(std::string_view bytes) {
  return bytes.substr(0, byte_order_mark.size()) == byte_order_mark;
}

// `utf8` as Windows-1252 into `out`, a byte order mark at its start dropped; a character that code
// page cannot hold, or bytes that are not UTF-8, stop it and are returned (`out` is then
// incomplete). Columns count in the text after the mark.
std::optional<conversion_fault> cp1252_from_utf8(std::string_view utf8, std::string& out);

// The Windows-1252 byte of a code point, nullopt when the code page has no form for it.
std::optional<char> cp1252_byte(char32_t code_point);

// Windows-1252 bytes as UTF-8, every byte one character whatever the bytes look like (`utf8_text`
// keeps text that is already UTF-8); the five bytes the code page leaves undefined become U+FFFD.
std::string utf8_from_cp1252(std::string_view bytes);

// Length of the well-formed multi-byte UTF-8 sequence starting at `i`, 0 when there is none.
std::size_t utf8_sequence_at(std::string_view bytes, std::size_t i);

// The code point of the well-formed sequence of `length` bytes at `i`, as utf8_sequence_at finds
// it.
char32_t utf8_code_point(std::string_view bytes, std::size_t i, std::size_t length);

}  // namespace scenario
