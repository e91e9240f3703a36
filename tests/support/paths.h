// Where the programs of this build and the test fixtures are, and reading a file whole.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace scenario::test_support {

// A program of this build by name: "scenario", "roma_pisa" (with ".exe" on Windows).
inline std::string built_program(const std::string& name) {
  return std::string(TEST_BIN_DIR) + "/" + name + TEST_PROGRAM_ENDING;
}

inline std::string tool_path() {
  return built_program("scenario");
}

// tests/data/tool/: the fixtures, which every golden transcript also finds in its folder.
inline std::string fixture_dir() {
  return std::string(TEST_DATA_DIR) + "/tool";
}

inline std::string fixture_path(const std::string& name) {
  return fixture_dir() + "/" + name;
}

// The bytes of a file; empty when it cannot be read.
inline std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace scenario::test_support
