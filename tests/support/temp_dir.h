// A scratch directory for tests that touch files, removed with everything in it.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#ifdef _WIN32
#include "platform/windows/text.h"
#endif

namespace scenario::test_support {

// A path as the program's bytes: on Windows UTF-8, as the program takes its arguments.
inline std::string path_text(const std::filesystem::path& p) {
#ifdef _WIN32
  const std::u8string text = p.u8string();
  return std::string(text.begin(), text.end());
#else
  return p.string();
#endif
}

// The program's bytes as a path, read as the program reads them.
inline std::filesystem::path path_of(const std::string& text) {
#ifdef _WIN32
  return std::filesystem::path(system::utf16_from_bytes(text));
#else
  return std::filesystem::path(text);
#endif
}

class temp_dir {
 public:
  temp_dir() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device random;
    for (;;) {
      const std::filesystem::path candidate = base / ("scenario-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) {
        // With "/" throughout, as the tests join names to it.
        const std::u8string generic = candidate.generic_u8string();
        path_.assign(generic.begin(), generic.end());
        return;
      }
    }
  }
  ~temp_dir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_of(path_), ignored);
  }
  temp_dir(const temp_dir&) = delete;
  temp_dir& operator=(const temp_dir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_of(file(name)), std::ios::binary) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path_of(file(name)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  bool exists(const std::string& name) const {
    return std::filesystem::exists(path_of(file(name)));
  }
  std::size_t count() const {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(path_of(path_)),
                      std::filesystem::directory_iterator()));
  }

 private:
  std::string path_;
};

}  // namespace scenario::test_support
