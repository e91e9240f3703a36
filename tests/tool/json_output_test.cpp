#include "tool/json_output.h"

#include <gtest/gtest.h>

#include <string>

#include "tool/text_encoding.h"

namespace scenario {
namespace {

// The JSON writer checks UTF-8 on its own: whatever it refuses, is_utf8 must refuse too, or
// utf8_text would pass bytes that end the run. Every lead byte with every second byte covers the
// ranges that decide overlong forms, surrogates and the top of Unicode.
TEST(JsonOutput, Utf8CheckAgreesWithTheJsonWriter) {
  int disagreements = 0;
  for (int lead = 0; lead < 256; ++lead) {
    for (int second = 0; second < 256; ++second) {
      for (const std::string tail : {"", "\x80", "\x80\x80"}) {
        const std::string bytes =
            std::string{static_cast<char>(lead), static_cast<char>(second)} + tail;
        bool writer_accepts = true;
        try {
          (void)nlohmann::json(bytes).dump();
        } catch (const nlohmann::json::type_error&) {
          writer_accepts = false;
        }
        if (is_utf8(bytes) != writer_accepts && ++disagreements <= 5)
          ADD_FAILURE() << "bytes " << std::hex << lead << ' ' << second << " + " << tail.size();
        EXPECT_NO_THROW((void)json_text(bytes).dump());
      }
    }
  }
}

TEST(JsonOutput, DocumentNeverThrowsOnText) {
  nlohmann::json doc;
  doc["converted"] = json_text("\x8A");
  doc["raw"] = std::string("\x8A");  // a string that skipped json_text
  const std::string text = json_document(doc);
  EXPECT_TRUE(is_utf8(text));
  EXPECT_NE(text.find("\"converted\": \"\xC5\xA0\""), std::string::npos) << text;
  EXPECT_EQ(text.back(), '\n');
}

}  // namespace
}  // namespace scenario
