#include "tool/json_text.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(JsonText, KeepsUtf8AndReadsOtherBytesAsWindows1252) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"Roma Termini", "Roma Termini"},
      {"Citt\xC3\xA0", "Citt\xC3\xA0"},                          // valid UTF-8 stays
      {"Citt\xE0", "Citt\xC3\xA0"},                              // 0xE0 is a-grave
      {"\x80 \x96 \x9F", "\xE2\x82\xAC \xE2\x80\x93 \xC5\xB8"},  // euro, en dash, Y diaeresis
      {"\x81\x9D", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // undefined in the code page
      {"\xC0\x80", "\xC3\x80\xE2\x82\xAC"},                      // overlong form: not UTF-8
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},          // surrogate: not UTF-8
      {"\xC3", "\xC3\x83"},                                      // cut sequence
  };
  for (const auto& c : cases) EXPECT_EQ(json_text(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace scenario
