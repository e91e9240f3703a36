#include "tool/text_encoding.h"

#include <array>
#include <cstdint>

namespace scenario {

namespace {

// Code points of the Windows-1252 bytes 0x80 to 0x9F; 0 where the code page defines none.
constexpr std::array<char32_t, 32> cp1252_high = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98-9F
};

constexpr char32_t replacement_character = 0xFFFD;

void append_utf8(std::string& out, char32_t cp) {
  auto unit = [&out](unsigned value) { out.push_back(static_cast<char>(value)); };
  if (cp < 0x80) {
    unit(cp);
  } else if (cp < 0x800) {
    unit(0xC0 | (cp >> 6));
    unit(0x80 | (cp & 0x3F));
  } else {
    // Every code point of the table fits in three bytes.
    unit(0xE0 | (cp >> 12));
    unit(0x80 | ((cp >> 6) & 0x3F));
    unit(0x80 | (cp & 0x3F));
  }
}

}  // namespace

bool is_utf8(std::string_view bytes) {
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  auto at = [&](std::size_t k) { return static_cast<std::uint8_t>(bytes[k]); };
  auto within = [&](std::size_t k, std::uint8_t low, std::uint8_t high) {
    return k < n && at(k) >= low && at(k) <= high;
  };
  while (i < n) {
    const std::uint8_t lead = at(i);
    std::size_t length = 0;
    // The second byte's range is what rules out overlong forms, surrogates and code points past
    // U+10FFFF; later bytes are plain continuation bytes.
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead < 0x80) {
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (length > 1 && !within(i + 1, low, high)) return false;
    for (std::size_t k = 2; k < length; ++k)
      if (!within(i + k, 0x80, 0xBF)) return false;
    i += length;
  }
  return true;
}

std::string utf8_text(std::string_view bytes) {
  if (is_utf8(bytes)) return std::string(bytes);
  return utf8_from_cp1252(bytes);
}

std::string utf8_from_cp1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const auto byte = static_cast<std::uint8_t>(ch);
    if (byte < 0x80) {
      out.push_back(ch);
    } else if (byte < 0xA0) {
      const char32_t cp = cp1252_high[byte - 0x80];
      append_utf8(out, cp != 0 ? cp : replacement_character);
    } else {
      append_utf8(out, byte);  // 0xA0 to 0xFF are the code points of the same number
    }
  }
  return out;
}

std::string without_forbidden_characters(std::string_view text) {
  constexpr std::string_view replacement = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(text[i]);
    if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
      out += replacement;
    } else if (byte == 0xEF && text.substr(i, 2) == "\xEF\xBF" && i + 2 < text.size() &&
               (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
      out += replacement;
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::optional<char> cp1252_byte(char32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF))
    return static_cast<char>(code_point);
  for (std::size_t byte = 0; byte < cp1252_high.size(); ++byte)
    if (cp1252_high[byte] == code_point && code_point != 0) return static_cast<char>(0x80 + byte);
  return std::nullopt;
}

std::size_t utf8_sequence_at(std::string_view bytes, std::size_t i) {
  if (i >= bytes.size() || static_cast<std::uint8_t>(bytes[i]) < 0x80) return 0;
  // The longest prefix judged well-formed on its own is the sequence.
  for (std::size_t length = 2; length <= 4 && i + length <= bytes.size(); ++length)
    if (is_utf8(bytes.substr(i, length))) return length;
  return 0;
}

char32_t utf8_code_point(std::string_view bytes, std::size_t i, std::size_t length) {
  char32_t cp = static_cast<std::uint8_t>(bytes[i]) & (0xFF >> (length + 1));
  for (std::size_t k = 1; k < length; ++k)
    cp = (cp << 6) | (static_cast<std::uint8_t>(bytes[i + k]) & 0x3F);
  return cp;
}

std::optional<conversion_fault> cp1252_from_utf8(std::string_view utf8, std::string& out) {
  out.clear();
  if (has_byte_order_mark(utf8)) utf8.remove_prefix(byte_order_mark.size());
  out.reserve(utf8.size());
  int line = 1;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<std::uint8_t>(utf8[i]);
    if (lead < 0x80) {
      out.push_back(utf8[i]);
      if (lead == '\n') {
        ++line;
        line_start = i + 1;
      }
      ++i;
      continue;
    }
    const int column = static_cast<int>(i - line_start) + 1;
    const std::size_t length = utf8_sequence_at(utf8, i);
    if (length == 0) return conversion_fault{line, column, 0};
    const char32_t cp = utf8_code_point(utf8, i, length);
    const std::optional<char> byte = cp1252_byte(cp);
    if (!byte) return conversion_fault{line, column, cp};
    out.push_back(*byte);
    i += length;
  }
  return std::nullopt;
}

}  // namespace scenario
