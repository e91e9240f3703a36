// What the Windows half of the platform layer does that the other has no need to: names between
// the program's bytes and UTF-16, paths with "\" and drives, files held open by another program,
// read-only files and devices.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/windows/system.h"
#include "platform/windows/text.h"
#include "support/case_name.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::PrintTo;
using test_support::temp_dir;

struct text_case {
  const char* what;
  std::string bytes;
  std::wstring utf16;
  std::string back;  // what UTF-16 gives back: the UTF-8 of the same text
};

class TextToUtf16 : public ::testing::TestWithParam<text_case> {};

TEST_P(TextToUtf16, ReadsUtf8AndElseWindows1252) {
  const text_case& c = GetParam();
  EXPECT_EQ(system::utf16_from_bytes(c.bytes), c.utf16);
  EXPECT_EQ(system::utf8_from_utf16(c.utf16), c.back);
}

INSTANTIATE_TEST_SUITE_P(
    , TextToUtf16,
    ::testing::Values(
        text_case{"ASCII", "Roma_Pisa", L"Roma_Pisa", "Roma_Pisa"},
        text_case{"UTF-8", "Citt\xC3\xA0", L"Citt\u00E0", "Citt\xC3\xA0"},
        text_case{"Windows-1252", "Citt\xE0", L"Citt\u00E0", "Citt\xC3\xA0"},
        // The bytes 0x80 to 0x9F are letters and signs of their own, not control characters.
        text_case{"Windows-1252 euro and S caron", "\x80\x8A", L"\u20AC\u0160",
                  "\xE2\x82\xAC\xC5\xA0"},
        text_case{"a byte that breaks a UTF-8 sequence", "\xC3(", L"\u00C3(", "\xC3\x83("},
        text_case{"an overlong form", "\xC0\xAF", L"\u00C0\u00AF", "\xC3\x80\xC2\xAF"},
        text_case{"beyond the first plane", "\xF0\x9F\x9A\x86", L"\U0001F686", "\xF0\x9F\x9A\x86"},
        // Windows allows a lone surrogate in a name; it comes back as it went.
        text_case{"a lone surrogate", "\xED\xA0\x80", std::wstring(1, wchar_t(0xD800)),
                  "\xED\xA0\x80"}),
    test_support::name_from_what{});

TEST(WindowsPaths, SplitAtEitherSeparatorAndAfterADrive) {
  EXPECT_EQ(folder_of("C:\\maps\\Roma_linea.dat"), "C:\\maps");
  EXPECT_EQ(folder_of("C:\\Roma_linea.dat"), "C:\\");
  EXPECT_EQ(folder_of("C:Roma_linea.dat"), "C:");
  EXPECT_EQ(folder_of("maps\\sub/Roma_linea.dat"), "maps\\sub");
  EXPECT_EQ(file_name_of("C:\\maps\\Roma_linea.dat"), "Roma_linea.dat");
  EXPECT_EQ(file_name_of("C:Roma_linea.dat"), "Roma_linea.dat");
  // A folder written the Windows way is joined that way; any other as on every system.
  EXPECT_EQ(join_path("C:\\maps", "x.dat"), "C:\\maps\\x.dat");
  EXPECT_EQ(join_path("C:/maps", "x.dat"), "C:/maps/x.dat");
  EXPECT_EQ(join_path("C:", "x.dat"), "C:x.dat");
  EXPECT_EQ(join_path("C:\\", "x.dat"), "C:\\x.dat");
}

// A name in UTF-8, as the arguments come, and the same name in the simulator's code page both
// name the one file whose name Windows holds in UTF-16.
TEST(WindowsNames, AccentedLettersNameTheFileWhateverTheCodePage) {
  temp_dir dir;
  replace_file(dir.file("Citt\xC3\xA0.dat"), "bytes");
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir.path()) / L"Citt\u00E0.dat"));
  EXPECT_EQ(read_whole_file(dir.file("Citt\xE0.dat")), "bytes");
  EXPECT_EQ(dir.count(), 1u);
}

TEST(WindowsNames, APathLongerThanTheOldLimitIsWrittenAndRead) {
  temp_dir dir;
  std::string folder = dir.path();
  while (folder.size() < 300) folder += "/" + std::string(40, 'f');
  make_directories(folder);
  replace_file(folder + "/x.dat", "far down");
  EXPECT_EQ(read_whole_file(folder + "/x.dat"), "far down");
  EXPECT_TRUE(file_exists(folder + "/x.dat"));
}

TEST(WindowsDevices, ADeviceIsNoFileToRead) {
  for (const char* device : {"NUL", "nul.txt"}) {
    try {
      read_whole_file(device);
      ADD_FAILURE() << "expected file_error for " << device;
    } catch (const file_error& e) {
      EXPECT_EQ(std::string(e.what()),
                "cannot read \"" + std::string(device) + "\": not a regular file");
    }
  }
}

// Another program's handle on the file, as the simulator keeps the files of a loaded scenario:
// others may read it, but not write, rename or delete it.
class held_open {
 public:
  explicit held_open(const std::string& path)
      : h_(::CreateFileW(system::utf16_from_bytes(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                         nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~held_open() { ::CloseHandle(h_); }
  held_open(const held_open&) = delete;
  held_open& operator=(const held_open&) = delete;
  bool holds() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

void expect_kept(const temp_dir& dir, const std::string& path, const std::string& reason) {
  for (auto attempt : {+[](const std::string& p) { check_replaceable(p); },
                       +[](const std::string& p) { replace_file(p, "new"); }}) {
    try {
      attempt(path);
      ADD_FAILURE() << "expected file_error";
    } catch (const file_error& e) {
      EXPECT_EQ(std::string(e.what()), "cannot replace \"" + path + "\": " + reason);
    }
  }
  EXPECT_EQ(dir.read("out.dat"), "older");
  EXPECT_EQ(dir.count(), 1u);  // no temporary left
}

TEST(WindowsReplace, AFileHeldOpenByAnotherProgramIsNamedAndKept) {
  temp_dir dir;
  dir.write("out.dat", "older");
  {
    held_open simulator(dir.file("out.dat"));
    ASSERT_TRUE(simulator.holds());
    expect_kept(dir, dir.file("out.dat"),
                "another program has it open; close it there and try again");
  }
  replace_file(dir.file("out.dat"), "new");  // closed there, it is replaced
  EXPECT_EQ(dir.read("out.dat"), "new");
}

TEST(WindowsReplace, AReadOnlyFileIsNamedAndKept) {
  temp_dir dir;
  dir.write("out.dat", "older");
  const std::wstring wide = system::utf16_from_bytes(dir.file("out.dat"));
  ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
  expect_kept(dir, dir.file("out.dat"), "the file is read-only");
  ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace scenario
