// Bytes written out by hand in tests, one value 0 to 255 each.
#pragma once

#include <initializer_list>
#include <string>

namespace scenario::test_support {

inline std::string bytes_of(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

}  // namespace scenario::test_support
