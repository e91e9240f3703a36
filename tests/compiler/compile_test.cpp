#include "compiler/compile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenario {
namespace {

TEST(CompilePair, NameFaults) {
  struct name_case {
    std::string name;
    const char* fault;  // part of the reason, nullptr when the name is fine
  };
  const name_case cases[] = {
      {"EXPR 368", nullptr},
      {"Citt\xE0", nullptr},
      {std::string(longest_name, 'n'), nullptr},
      {"...", nullptr},
      {".x", nullptr},
      {"x..", nullptr},
      {std::string(longest_name + 1, 'n'), "the train name is 32768 bytes long"},
      {std::string("a\0b", 3), "holds a NUL byte"},
      {"../x", "the train name \"../x\" holds \"/\""},
      {"/", "holds \"/\""},
      {".", "the train name \".\" names a folder"},
      {"..", "names a folder"},
  };
  for (const name_case& c : cases) {
    const std::optional<std::string> fault = name_fault("train", c.name);
    if (c.fault == nullptr) {
      EXPECT_EQ(fault, std::nullopt) << c.name.substr(0, 20);
    } else {
      ASSERT_TRUE(fault.has_value()) << c.fault;
      EXPECT_NE(fault->find(c.fault), std::string::npos) << *fault;
    }
  }
}

}  // namespace
}  // namespace scenario
