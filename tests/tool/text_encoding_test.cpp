#include "tool/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;

struct conversion_case {
  const char* what;
  std::string in;
  std::string out;
};

const std::string replacement = "\xEF\xBF\xBD";

// Valid UTF-8 passes; anything else is read as Windows-1252.
const conversion_case conversion_cases[] = {
    {"empty", "", ""},
    {"ASCII", "EXPR 368", "EXPR 368"},
    {"ASCII with a NUL", std::string("a\0b", 3), std::string("a\0b", 3)},
    {"two-byte UTF-8", "Citt\xC3\xA0", "Citt\xC3\xA0"},
    {"three-byte UTF-8", "\xE2\x82\xAC 5", "\xE2\x82\xAC 5"},
    {"four-byte UTF-8", "\xF0\x9F\x9A\x86", "\xF0\x9F\x9A\x86"},
    {"highest code point", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
    {"0x80 euro", "\x80", "\xE2\x82\xAC"},
    {"0x83 f with hook", "\x83", "\xC6\x92"},
    {"0x8A S caron", "\x8A", "\xC5\xA0"},
    {"0x99 trade mark", "\x99", "\xE2\x84\xA2"},
    {"0x9F Y diaeresis", "\x9F", "\xC5\xB8"},
    {"0xA0 no-break space", "\xA0", "\xC2\xA0"},
    {"0xE0 a grave", "Citt\xE0", "Citt\xC3\xA0"},
    {"0xFF y diaeresis", "\xFF", "\xC3\xBF"},
    {"the five undefined bytes", "\x81\x8D\x8F\x90\x9D",
     replacement + replacement + replacement + replacement + replacement},
    {"two-byte sequence cut short", "Citt\xC3", "Citt\xC3\x83"},
    {"three-byte sequence cut short", "\xE2\x82", "\xC3\xA2\xE2\x80\x9A"},
    {"stray continuation byte", "\xBF", "\xC2\xBF"},
    {"overlong two-byte form", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
    {"overlong three-byte form", "\xE0\x80\x80", "\xC3\xA0\xE2\x82\xAC\xE2\x82\xAC"},
    {"surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
    {"past U+10FFFF", "\xF4\x90\x80\x80", "\xC3\xB4" + replacement + "\xE2\x82\xAC\xE2\x82\xAC"},
    {"lead byte that never starts a sequence", "\xF8", "\xC3\xB8"},
    // One bad byte makes the whole string Windows-1252, its valid UTF-8 pair included.
    {"valid and invalid together", "\xC3\xA0\x8A", "\xC3\x83\xC2\xA0\xC5\xA0"},
};

class Utf8Text : public ::testing::TestWithParam<conversion_case> {};

TEST_P(Utf8Text, ConvertsToValidUtf8) {
  EXPECT_EQ(utf8_text(GetParam().in), GetParam().out);
  EXPECT_TRUE(is_utf8(utf8_text(GetParam().in)));
}

INSTANTIATE_TEST_SUITE_P(, Utf8Text, ::testing::ValuesIn(conversion_cases),
                         test_support::name_from_what{});

TEST(WithoutForbiddenCharacters, ReplacesWhatXmlForbidsAndKeepsTheRest) {
  const conversion_case cases[] = {
      {"plain", "Km 5+000", "Km 5+000"},
      {"tab, line feed, carriage return", "a\tb\nc\rd", "a\tb\nc\rd"},
      {"control characters", std::string("a\0b\x01\x1F", 5),
       "a" + replacement + "b" + replacement + replacement},
      {"U+FFFE and U+FFFF", "x\xEF\xBF\xBEy\xEF\xBF\xBF", "x" + replacement + "y" + replacement},
      {"U+FFFD and U+FFFC stay", "\xEF\xBF\xBD\xEF\xBF\xBC", "\xEF\xBF\xBD\xEF\xBF\xBC"},
      {"cut short at the end", "\xEF\xBF", "\xEF\xBF"},
      {"DEL and C1 are allowed", "\x7F\xC2\x85", "\x7F\xC2\x85"},
  };
  for (const conversion_case& c : cases)
    EXPECT_EQ(without_forbidden_characters(c.in), c.out) << c.what;
}

// The conversion --input-encoding utf-8 makes: a byte order mark at the start is dropped, one
// anywhere else is a character like any other, and Windows-1252 has none.
TEST(Cp1252FromUtf8, DropsALeadingByteOrderMarkOnly) {
  std::string out;
  EXPECT_FALSE(cp1252_from_utf8("\xEF\xBB\xBF[generale]\r\nCitt\xC3\xA0", out).has_value());
  EXPECT_EQ(out, "[generale]\r\nCitt\xE0");
  const std::optional<conversion_fault> inside = cp1252_from_utf8("a\r\nb\xEF\xBB\xBF", out);
  ASSERT_TRUE(inside.has_value());
  EXPECT_EQ(inside->line, 2);
  EXPECT_EQ(inside->column, 2);
  EXPECT_EQ(inside->code_point, U'\uFEFF');
}

}  // namespace
}  // namespace scenario
