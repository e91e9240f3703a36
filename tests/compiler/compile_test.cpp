#include "compiler/compile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/case_name.h"
#include "support/temp_dir.h"

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
                      name_case{"leading dot", ".x", nullptr},
                      name_case{"inner blanks and dots", "EXPR 368.b", nullptr},
                      name_case{"a device's letters within a name", "CONTE", nullptr},
                      name_case{"a port's letters with a number", "COM10", nullptr},
                      name_case{"one byte too long", std::string(longest_name + 1, 'n'),
                                "the train name is 32768 bytes long"},
                      name_case{"NUL byte", std::string("a\0b", 3), "holds a NUL byte"},
                      name_case{"climbing out", "../x", "the train name \"../x\" holds \"/\""},
                      name_case{"the root", "/", "holds \"/\""},
                      name_case{"the folder itself", ".", "the train name \".\" names a folder"},
                      name_case{"the parent folder", "..", "names a folder"},
                      name_case{"empty", "", "the train name is empty"},
                      // Windows, where the simulator runs, reads these otherwise.
                      name_case{"a folder on Windows", "a\\b", "holds \"\\\": the compiled"},
                      name_case{"a drive", "C:x", "holds \":\", which a Windows file name"},
                      name_case{"a wildcard", "x*", "holds \"*\""},
                      name_case{"a quote", "\"x\"", "holds \"\"\""},
                      name_case{"a pipe", "a|b", "holds \"|\""},
                      name_case{"a tab", "a\tb", "holds the control character 0x09"},
                      name_case{"three dots", "...", "ends in a dot"},
                      name_case{"trailing dots", "x..", "ends in a dot"},
                      name_case{"a trailing blank", "EXPR ", "ends in a blank"},
                      name_case{"the console", "CON", "is the name of a device on Windows"},
                      name_case{"a device with an ending", "nul.txt", "the name of a device"},
                      name_case{"a port in small letters", "com1", "the name of a device"},
                      name_case{"a printer before blanks", "LPT9 .x", "the name of a device"},
                      name_case{"a port with a superscript", "COM\xB9", "the name of a device"}),
    test_support::name_from_what{});

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
