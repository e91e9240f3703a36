// Names for the cases of a table-driven test (TEST_P), as CTest and a failure show them.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

namespace scenario::test_support {

// The words of a case as a test name: "signal on a signal" becomes signal_on_a_signal. Letters and
// digits stay; every run of anything else becomes one underscore (GoogleTest takes nothing else).
std::string case_name(std::string_view words);

// A field's text as a test name, its signs spelled out: "-2.5" becomes minus_2_point_5 and "1e+3"
// 1e_plus_3, so that "5." and ".5" stay apart.
std::string spelled_name(std::string_view text);

// For INSTANTIATE_TEST_SUITE_P: each case named by its member `what`.
struct name_from_what {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return case_name(info.param.what);
  }
};

// A failing case shows its words rather than its bytes, where the cases' file says
// `using test_support::PrintTo;`.
template <class Case>
requires requires(const Case& c) {
  std::string_view(c.what);
}
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.what;
}

}  // namespace scenario::test_support
