#include "compiler/compile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;

struct name_case {
  const char* what;
  std::string name;
  const char* fault;  // part of the reason, nullptr when the name is fine
};

class NameFault : public ::testing::TestWithParam<name_case> {};

TEST_P(NameFault, RefusesOnlyWhatCannotNameAFile) {
  const name_case& c = GetParam();
  const std::optional<std::string> fault = name_fault("train", c.name);
  if (c.fault == nullptr) {
    EXPECT_EQ(fault, std::nullopt);
  } else {
    ASSERT_TRUE(fault.has_value());
    EXPECT_NE(fault->find(c.fault), std::string::npos) << *fault;
  }
}

INSTANTIATE_TEST_SUITE_P(
    , NameFault,
    ::testing::Values(name_case{"plain", "EXPR 368", nullptr},
                      name_case{"Windows-1252 letter", "Citt\xE0", nullptr},
                      name_case{"longest", std::string(longest_name, 'n'), nullptr},
                      name_case{"three dots", "...", nullptr},
                      name_case{"leading dot", ".x", nullptr},
                      name_case{"trailing dots", "x..", nullptr},
                      name_case{"one byte too long", std::string(longest_name + 1, 'n'),
                                "the train name is 32768 bytes long"},
                      name_case{"NUL byte", std::string("a\0b", 3), "holds a NUL byte"},
                      name_case{"climbing out", "../x", "the train name \"../x\" holds \"/\""},
                      name_case{"the root", "/", "holds \"/\""},
                      name_case{"the folder itself", ".", "the train name \".\" names a folder"},
                      name_case{"the parent folder", "..", "names a folder"}),
    test_support::name_from_what{});

}  // namespace
}  // namespace scenario
