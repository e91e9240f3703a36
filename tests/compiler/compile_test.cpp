#include "compiler/compile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/temp_dir.h"

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
      {"", "the train name is empty"},
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

output_file file_of(const std::string& name, const std::string& bytes) {
  return {name, bytes.size(), [bytes](const byte_sink& sink) { sink(0, bytes); }};
}

// The files are a set: with one name in the way, or one file that cannot be written, none is
// replaced and no temporary is left.
TEST(WriteCompiledFiles, AllOrNone) {
  test_support::temp_dir dir;
  const std::vector<output_file> files = {file_of("a.dat", "new a"), file_of("b.sim", "new b"),
                                          file_of("c.dat", "new c")};
  dir.write("a.dat", "older a");
  dir.write("c.dat", "older c");
  std::filesystem::create_directory(dir.file("b.sim"));
  try {
    write_compiled_files(dir.path(), files);
    FAIL() << "expected file_error";
  } catch (const file_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "cannot replace \"" + dir.file("b.sim") + "\": Is a directory");
  }
  EXPECT_EQ(dir.read("a.dat"), "older a");
  EXPECT_EQ(dir.read("c.dat"), "older c");
  EXPECT_EQ(dir.count(), 3u);

  // A producer that fails after the first file was written.
  std::filesystem::remove(dir.file("b.sim"));
  std::vector<output_file> failing = files;
  failing[2].produce = [](const byte_sink&) { throw std::runtime_error("cannot encode"); };
  EXPECT_THROW(write_compiled_files(dir.path(), failing), std::runtime_error);
  EXPECT_EQ(dir.read("a.dat"), "older a");
  EXPECT_EQ(dir.read("c.dat"), "older c");
  EXPECT_EQ(dir.count(), 2u);

  EXPECT_EQ(write_compiled_files(dir.path(), files),
            (std::vector<std::string>{dir.file("a.dat"), dir.file("b.sim"), dir.file("c.dat")}));
  EXPECT_EQ(dir.read("b.sim"), "new b");
  EXPECT_EQ(dir.count(), 3u);
}

}  // namespace
}  // namespace scenario
