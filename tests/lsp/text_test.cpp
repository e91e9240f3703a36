// The conversions under every position the server reads and writes: file URIs and paths, and
// protocol units (UTF-16 code units or UTF-8 bytes) against code points and bytes.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "lsp/text_positions.h"
#include "lsp/uri.h"
#include "support/case_name.h"

namespace scenario::lsp {
namespace {

using test_support::PrintTo;

struct uri_case {
  const char* what;
  std::string uri;
  std::optional<std::string> path;
};

const uri_case uri_cases[] = {
    {"escaped blank", "file:///data/Roma_Pisa_EXPR%20368-.txt", "/data/Roma_Pisa_EXPR 368-.txt"},
    {"escaped UTF-8", "file:///d/Citt%C3%A0_linea.txt", "/d/Citt\u00e0_linea.txt"},
    {"drive letter", "file:///C:/scenari/R_linea.txt", "C:/scenari/R_linea.txt"},
    {"escaped drive colon", "file:///c%3A/scenari/R_linea.txt", "c:/scenari/R_linea.txt"},
    {"local host", "file://localhost/x/R_linea.txt", "/x/R_linea.txt"},
    {"scheme in capitals", "FILE:///x/R_linea.txt", "/x/R_linea.txt"},
    {"another host", "file://server/share/R_linea.txt", std::nullopt},
    {"another scheme", "untitled:R_linea.txt", std::nullopt},
    {"broken escape", "file:///x/R%2_linea.txt", std::nullopt},
    {"escaped NUL", "file:///x/R%00_linea.txt", std::nullopt},
};

class UriPath : public ::testing::TestWithParam<uri_case> {};

TEST_P(UriPath, Decoded) {
  EXPECT_EQ(path_from_uri(GetParam().uri), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Uris, UriPath, ::testing::ValuesIn(uri_cases),
                         test_support::name_from_what{});

TEST(UriPath, PathsComeBackFromTheirUris) {
  for (const std::string path :
       {"/data/Roma_Pisa_EXPR 368-.txt", "/d/Citt\u00e0 #1/a%b_linea.txt"}) {
    const std::string uri = uri_from_path(path);
    EXPECT_EQ(uri.find_first_of(" #%\xc3", 8), uri.find('%', 8)) << uri;  // only escapes
    EXPECT_EQ(path_from_uri(uri), path) << uri;
  }
  EXPECT_EQ(uri_from_path("/data/R T-.txt"), "file:///data/R%20T-.txt");
  EXPECT_EQ(split_uri("file:///data/R%20T-.txt").name, "R T-.txt");
  EXPECT_EQ(split_uri("file:///data/R%20T-.txt").folder, "/data");
}

// "a", "à" (2 bytes, 1 UTF-16 unit), U+1F600 (4 bytes, 2 units), "b".
const std::string mixed = "a\u00e0\U0001F600b";

struct unit_case {
  const char* what;
  position_encoding encoding;
  std::size_t chars;  // code points before
  std::size_t units;  // their units
  std::size_t byte;   // where they end in the line
};

const unit_case unit_cases[] = {
    {"UTF-16 before the accent", position_encoding::utf16, 1, 1, 1},
    {"UTF-16 before the emoji", position_encoding::utf16, 2, 2, 3},
    {"UTF-16 after the emoji", position_encoding::utf16, 3, 4, 7},
    {"UTF-16 at the end", position_encoding::utf16, 4, 5, 8},
    {"UTF-8 before the emoji", position_encoding::utf8, 2, 3, 3},
    {"UTF-8 after the emoji", position_encoding::utf8, 3, 7, 7},
};

class Units : public ::testing::TestWithParam<unit_case> {};

TEST_P(Units, CodePointsUnitsAndBytes) {
  const unit_case& c = GetParam();
  EXPECT_EQ(units_before(mixed, c.chars, c.encoding), c.units);
  EXPECT_EQ(chars_before(mixed, c.units, c.encoding), c.chars);
  EXPECT_EQ(byte_in_line(mixed, c.units, c.encoding), c.byte);
}

INSTANTIATE_TEST_SUITE_P(Positions, Units, ::testing::ValuesIn(unit_cases),
                         test_support::name_from_what{});

TEST(Units, InsideACharacterOrPastTheEnd) {
  // A unit inside the emoji does not reach past it; a position past the line's end is its end.
  EXPECT_EQ(chars_before(mixed, 3, position_encoding::utf16), 2u);
  EXPECT_EQ(byte_in_line(mixed, 3, position_encoding::utf16), 3u);
  EXPECT_EQ(byte_in_line(mixed, 5, position_encoding::utf8), 3u);
  EXPECT_EQ(byte_in_line(mixed, 99, position_encoding::utf16), mixed.size());

  const std::string text = "one\r\n" + mixed + "\nthree";
  const line_index lines(text);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines.line(text, 0), "one");
  EXPECT_EQ(byte_offset(text, lines, {0, 10}, position_encoding::utf16), 3u);  // before "\r\n"
  EXPECT_EQ(byte_offset(text, lines, {1, 4}, position_encoding::utf16), 5u + 7u);
  EXPECT_EQ(byte_offset(text, lines, {7, 0}, position_encoding::utf16), text.size());
}

}  // namespace
}  // namespace scenario::lsp
