#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "support/case_name.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::PrintTo;
using test_support::temp_dir;

TEST(ReadWholeFile, AbsentFileIsNullopt) {
  temp_dir dir;
  EXPECT_FALSE(read_whole_file(dir.file("missing")).has_value());
  dir.write("data", std::string("a\0b", 3));
  EXPECT_EQ(read_whole_file(dir.file("data")), std::string("a\0b", 3));
}

TEST(ReplaceFile, ReplacesAnOlderLongerFileWhole) {
  temp_dir dir;
  dir.write("out.dat", std::string(100, 'x'));
  replace_file(dir.file("out.dat"), "new");
  EXPECT_EQ(dir.read("out.dat"), "new");
  EXPECT_EQ(dir.count(), 1u);  // no temporary left behind
}

// Writes at most 3 bytes a call and is interrupted every other call, counting from the last reset.
int stuttering_calls = 0;
std::int64_t stuttering_write(int fd, const void* data, std::size_t size, std::uint64_t offset) {
  if (++stuttering_calls % 2 == 0) {
    errno = EINTR;
    return -1;
  }
  return ::pwrite(fd, data, size < 3 ? size : 3, static_cast<off_t>(offset));
}

// Reads at most 3 bytes a call and is interrupted every other call.
std::int64_t stuttering_read(int fd, void* data, std::size_t size) {
  if (++stuttering_calls % 2 == 0) {
    errno = EINTR;
    return -1;
  }
  return ::read(fd, data, size < 3 ? size : 3);
}

TEST(ReadWholeFile, ShortAndInterruptedReadsStillReadEverything) {
  temp_dir dir;
  const std::string bytes = "0123456789abcdefghij";
  dir.write("in.txt", bytes);
  stuttering_calls = 0;
  EXPECT_EQ(read_whole_file(dir.file("in.txt"), {.read = &stuttering_read}), bytes);
}

std::int64_t full_disk_write(int, const void*, std::size_t, std::uint64_t) {
  errno = ENOSPC;
  return -1;
}

TEST(ReplaceFile, ShortAndInterruptedWritesStillWriteEverything) {
  temp_dir dir;
  const std::string bytes = "0123456789abcdefghij";
  stuttering_calls = 0;
  replace_file(dir.file("out.dat"), bytes, {.pwrite = &stuttering_write});
  EXPECT_EQ(dir.read("out.dat"), bytes);
}

TEST(ReplaceFile, PiecesLandAtTheirOffsets) {
  temp_dir dir;
  replace_file(dir.file("out.dat"), 10, [](const byte_sink& sink) {
    sink(5, "56789");
    sink(0, "01234");
  });
  EXPECT_EQ(dir.read("out.dat"), "0123456789");
}

TEST(ReplaceFile, FailedWriteKeepsTheOlderFileAndLeavesNoTemporary) {
  temp_dir dir;
  dir.write("out.dat", "old content");
  try {
    replace_file(dir.file("out.dat"), "new content", {.pwrite = &full_disk_write});
    FAIL() << "expected file_error";
  } catch (const file_error& e) {
    EXPECT_EQ(e.path(), dir.file("out.dat"));
    EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos) << e.what();
  }
  EXPECT_EQ(dir.read("out.dat"), "old content");
  EXPECT_EQ(dir.count(), 1u);
}

TEST(ReplaceFile, UnwritableDirectoryNamesTheFileAndTheReason) {
  temp_dir dir;
  dir.write("plain", "");  // a regular file where a directory should be
  const std::string path = dir.file("plain") + "/out.dat";
  try {
    replace_file(path, "x");
    FAIL() << "expected file_error";
  } catch (const file_error& e) {
    EXPECT_EQ(std::string(e.what()), "cannot create \"" + path + "\": Not a directory");
  }
}

TEST(MakeDirectories, CreatesTheMissingPartsAndNamesAFileInTheWay) {
  temp_dir dir;
  make_directories(dir.file("a/b/c"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("a/b/c")));
  EXPECT_NO_THROW(make_directories(dir.file("a/b")));  // already there
  EXPECT_NO_THROW(make_directories(""));               // the current directory

  dir.write("plain", "");
  for (const std::string& path : {dir.file("plain"), dir.file("plain/x/y")}) {
    SCOPED_TRACE(path);
    try {
      make_directories(path);
      FAIL() << "expected file_error for " << path;
    } catch (const file_error& e) {
      EXPECT_EQ(std::string(e.what()), "cannot create the directory \"" + path + "\": \"" +
                                           dir.file("plain") + "\" exists and is not a directory");
      EXPECT_EQ(e.path(), path);
    }
  }
}

int failing_close(int fd) {
  ::close(fd);
  errno = EIO;
  return -1;
}

int refusing_unlink(const char*) {
  errno = EBUSY;
  return -1;
}

TEST(ReplaceFile, FailedCloseKeepsTheOlderFileAndLeavesNoTemporary) {
  temp_dir dir;
  dir.write("out.dat", "old content");
  try {
    replace_file(dir.file("out.dat"), "new content", {.close = &failing_close});
    FAIL() << "expected file_error";
  } catch (const file_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "cannot write \"" + dir.file("out.dat") + "\": Input/output error");
  }
  EXPECT_EQ(dir.read("out.dat"), "old content");
  EXPECT_EQ(dir.count(), 1u);
}

TEST(ReplaceFile, TemporaryThatCannotBeRemovedIsNamed) {
  temp_dir dir;
  dir.write("out.dat", "old content");
  try {
    replace_file(dir.file("out.dat"), "new content",
                 {.pwrite = &full_disk_write, .unlink = &refusing_unlink});
    FAIL() << "expected file_error";
  } catch (const file_error& e) {
    const std::string what = e.what();
    EXPECT_NE(
        what.find("No space left on device; the temporary file \"" + dir.file("out.dat") + ".tmp."),
        std::string::npos)
        << what;
    EXPECT_NE(what.find("\" is left behind: Device or resource busy"), std::string::npos) << what;
  }
  EXPECT_EQ(dir.read("out.dat"), "old content");
  EXPECT_EQ(dir.count(), 2u);  // the older file and the temporary the message names
}

struct not_a_file {
  const char* what;
  void (*make)(const std::string& path);
  const char* reason;
};

class ReadWholeFileOf : public ::testing::TestWithParam<not_a_file> {};

TEST_P(ReadWholeFileOf, AnythingButARegularFileIsRefusedAtOnce) {
  temp_dir dir;
  const std::string path = dir.file("in");
  GetParam().make(path);
  try {
    read_whole_file(path);
    ADD_FAILURE() << "expected file_error";
  } catch (const file_error& e) {
    EXPECT_EQ(std::string(e.what()), "cannot read \"" + path + "\": " + GetParam().reason);
  }
}

INSTANTIATE_TEST_SUITE_P(, ReadWholeFileOf,
                         ::testing::Values(not_a_file{"a folder",
                                                      [](const std::string& path) {
                                                        std::filesystem::create_directory(path);
                                                      },
                                                      "Is a directory"},
                                           // Opening it for reading would wait for a writer.
                                           not_a_file{"a FIFO",
                                                      [](const std::string& path) {
                                                        ::mkfifo(path.c_str(), 0600);
                                                      },
                                                      "not a regular file"}),
                         test_support::name_from_what{});

TEST(RemoveFile, AbsentFileIsNoError) {
  temp_dir dir;
  EXPECT_NO_THROW(remove_file(dir.file("missing")));
  dir.write("here", "x");
  remove_file(dir.file("here"));
  EXPECT_FALSE(dir.exists("here"));
}

}  // namespace
}  // namespace scenario
