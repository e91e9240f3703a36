#include "support/case_name.h"

#include <vector>

namespace scenario::test_support {

namespace {

bool letter_or_digit(char ch) {
  return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
}

// The runs of letters and digits, and the word `spell` gives for any other byte (none when it gives
// an empty one), joined by underscores.
std::string joined(std::string_view text, std::string (*spell)(char)) {
  std::vector<std::string> words(1);
  for (char ch : text) {
    if (letter_or_digit(ch)) {
      words.back() += ch;
      continue;
    }
    if (!words.back().empty()) words.emplace_back();
    if (std::string word = spell(ch); !word.empty()) {
      words.back() = std::move(word);
      words.emplace_back();
    }
  }
  std::string name;
  for (const std::string& word : words) {
    if (word.empty()) continue;
    if (!name.empty()) name += '_';
    name += word;
  }
  return name.empty() ? "empty" : name;
}

}  // namespace

std::string case_name(std::string_view words) {
  return joined(words, [](char) { return std::string(); });
}

std::string spelled_name(std::string_view text) {
  return joined(text, [](char ch) -> std::string {
    switch (ch) {
      case '-':
        return "minus";
      case '+':
        return "plus";
      case '.':
        return "point";
      default:
        return {};
    }
  });
}

}  // namespace scenario::test_support
