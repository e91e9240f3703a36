#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "platform/interrupts.h"
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
  return system_file_calls().pwrite(fd, data, size < 3 ? size : 3, offset);
}

// Reads at most 3 bytes a call and is interrupted every other call.
std::int64_t stuttering_read(int fd, void* data, std::size_t size) {
  if (++stuttering_calls % 2 == 0) {
    errno = EINTR;
    return -1;
  }
  return system_file_calls().read(fd, data, size < 3 ? size : 3);
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
  system_file_calls().close(fd);
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

const not_a_file not_files[] = {
    {"a folder", [](const std::string& path) { std::filesystem::create_directory(path); },
     "Is a directory"},
#ifndef _WIN32
    // Opening it for reading would wait for a writer.
    {"a FIFO", [](const std::string& path) { ::mkfifo(path.c_str(), 0600); }, "not a regular file"},
#endif
};

INSTANTIATE_TEST_SUITE_P(, ReadWholeFileOf, ::testing::ValuesIn(not_files),
                         test_support::name_from_what{});

TEST(RemoveFile, AbsentFileIsNoError) {
  temp_dir dir;
  EXPECT_NO_THROW(remove_file(dir.file("missing")));
  dir.write("here", "x");
  remove_file(dir.file("here"));
  EXPECT_FALSE(dir.exists("here"));
}

TEST(ReadWholeFile, AFileOverTheLimitIsRefusedFromItsSizeAlone) {
  temp_dir dir;
  dir.write("huge", "");
#ifdef _WIN32
  // A file larger than the limit, where a file system may have to give it all its space.
  std::filesystem::resize_file(dir.file("huge"), std::uintmax_t{1} << 30);
  const std::string size = "1073741824";
#else
  // 100 GiB of holes: reading it, or only making room for it, would exhaust the memory.
  ASSERT_EQ(::truncate(dir.file("huge").c_str(), off_t{100} << 30), 0);
  const std::string size = "107374182400";
#endif
  try {
    read_whole_file(dir.file("huge"));
    FAIL() << "expected file_error";
  } catch (const file_error& e) {
    EXPECT_EQ(std::string(e.what()), "cannot read \"" + dir.file("huge") + "\": it holds " + size +
                                         " bytes; an input may hold at most 268435456 bytes "
                                         "(256 MiB)");
  }
  dir.write("small", "12345");
  EXPECT_EQ(read_whole_file(dir.file("small"), {}, 5), "12345");
  EXPECT_THROW(read_whole_file(dir.file("small"), {}, 4), file_error);
}

// Standard input of this process, for the length of one test, comes from a file.
class input_from {
 public:
  explicit input_from(const std::string& path) : saved_(::dup(STDIN_FILENO)) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::dup2(fd, STDIN_FILENO);
    ::close(fd);
  }
  ~input_from() {
    ::dup2(saved_, STDIN_FILENO);
    ::close(saved_);
  }

 private:
  int saved_;
};

TEST(ReadStandardInput, ReadsToTheEndWithinTheLimit) {
  temp_dir dir;
  const std::string bytes(100000, '\xA7');  // more than the first guess of the buffer
  dir.write("in", bytes);
  {
    input_from in(dir.file("in"));
    EXPECT_EQ(read_standard_input(), bytes);
  }
  input_from in(dir.file("in"));
  try {
    read_standard_input(99999);
    FAIL() << "expected file_error";
  } catch (const file_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "cannot read \"standard input\": it holds more than 99999 bytes, the most an input "
              "may hold");
  }
}

TEST(FileExists, ANameTakenByAnythingCountsAndAFailedLookupIsAnError) {
  temp_dir dir;
  dir.write("plain", "");
  EXPECT_TRUE(file_exists(dir.file("plain")));
  EXPECT_FALSE(file_exists(dir.file("missing")));
  EXPECT_FALSE(file_exists(dir.file("plain/under")));  // a file where a folder would be
#ifndef _WIN32
  // Symbolic links take the privilege of an administrator on Windows.
  std::filesystem::create_symlink("nowhere", dir.file("dangling"));
  std::filesystem::create_symlink("loop", dir.file("loop"));
  EXPECT_TRUE(file_exists(dir.file("dangling")));
  EXPECT_TRUE(file_exists(dir.file("loop")));
#endif
  const std::string too_long = dir.file(std::string(5000, 'n'));
  try {
    file_exists(too_long);
    FAIL() << "expected file_error";
  } catch (const file_error& e) {
    EXPECT_NE(std::string(e.what()).find("\": File name too long"), std::string::npos);
  }
}

TEST(CheckReplaceable, ADirectoryInTheWayOrAMissingFolderIsNamed) {
  temp_dir dir;
  dir.write("older.dat", "x");
  std::filesystem::create_directory(dir.file("folder.dat"));
  EXPECT_NO_THROW(check_replaceable(dir.file("older.dat")));
  EXPECT_NO_THROW(check_replaceable(dir.file("new.dat")));
  const std::pair<std::string, std::string> refused[] = {
      {dir.file("folder.dat"), "cannot replace \"$P\": Is a directory"},
      {dir.file("missing/new.dat"), "cannot create \"$P\": No such file or directory"},
      {dir.file("older.dat/new.dat"), "cannot create \"$P\": Not a directory"},
  };
  for (const auto& [path, message] : refused) {
    try {
      check_replaceable(path);
      ADD_FAILURE() << "expected file_error for " << path;
    } catch (const file_error& e) {
      std::string expected = message;
      expected.replace(expected.find("$P"), 2, path);
      EXPECT_EQ(std::string(e.what()), expected);
    }
  }
}

TEST(StagedFile, TakesTheNameOnlyWhenCommitted) {
  temp_dir dir;
  dir.write("out.dat", "older");
  {
    staged_file staged(dir.file("out.dat"), 3, [](const byte_sink& sink) { sink(0, "new"); });
    EXPECT_EQ(dir.read("out.dat"), "older");
    EXPECT_EQ(dir.count(), 2u);  // the older file and the temporary
  }
  EXPECT_EQ(dir.read("out.dat"), "older");  // never committed: the temporary is gone
  EXPECT_EQ(dir.count(), 1u);
  staged_file staged(dir.file("out.dat"), 3, [](const byte_sink& sink) { sink(0, "new"); });
  staged.commit();
  EXPECT_EQ(dir.read("out.dat"), "new");
  EXPECT_EQ(dir.count(), 1u);
}

int failing_fsync(int) {
  errno = EIO;
  return -1;
}

TEST(ReplaceFile, AFileThatCannotReachTheDiskKeepsTheOlderOne) {
  temp_dir dir;
  dir.write("out.dat", "old content");
  EXPECT_THROW(replace_file(dir.file("out.dat"), "new content", {.fsync = &failing_fsync}),
               file_error);
  EXPECT_EQ(dir.read("out.dat"), "old content");
  EXPECT_EQ(dir.count(), 1u);
  // Without the flush the system's refusal to flush is never met.
  replace_file(dir.file("out.dat"), "new content", {.fsync = &failing_fsync}, flush::none);
  EXPECT_EQ(dir.read("out.dat"), "new content");
}

TEST(JoinPath, AnEmptyFolderIsTheCurrentOneNotTheRoot) {
  EXPECT_EQ(join_path("", "x.dat"), "x.dat");
  EXPECT_EQ(join_path("out", "x.dat"), "out/x.dat");
  EXPECT_EQ(join_path("/", "x.dat"), "/x.dat");
  EXPECT_EQ(folder_of("x.dat"), ".");
  EXPECT_EQ(folder_of("/x.dat"), "/");
  EXPECT_EQ(folder_of("a/b/x.dat"), "a/b");
  EXPECT_EQ(folder_of("a//x.dat"), "a");
  EXPECT_EQ(parent_folder("x.dat"), "");
  EXPECT_EQ(parent_folder("a/b/"), "a/b");
  EXPECT_EQ(file_name_of("a/b/x.dat"), "x.dat");
  EXPECT_EQ(file_name_of("x.dat"), "x.dat");
}

#ifndef _WIN32
// An interrupt removes what is marked, and only that, and ends with 128 + the signal's number.
TEST(RemovedOnInterrupt, MarkedFilesGoAndTheStatusNamesTheSignal) {
  temp_dir dir;
  auto interrupted_while_marked = [&](int signal_number) {
    remove_temporaries_on_interrupt();
    dir.write("kept", "k");
    { removed_on_interrupt done(dir.file("kept")); }
    removed_on_interrupt mark(dir.file("marked"));
    dir.write("marked", "m");
    std::raise(signal_number);
    std::_Exit(0);  // not reached
  };
  EXPECT_EXIT(interrupted_while_marked(SIGINT), ::testing::ExitedWithCode(130), "");
  EXPECT_FALSE(dir.exists("marked"));
  EXPECT_TRUE(dir.exists("kept"));
  EXPECT_EXIT(interrupted_while_marked(SIGTERM), ::testing::ExitedWithCode(143), "");
  EXPECT_FALSE(dir.exists("marked"));

  // A program started with interrupts ignored (a background job) goes on ignoring them.
  auto ignored = [&] {
    std::signal(SIGINT, SIG_IGN);
    remove_temporaries_on_interrupt();
    removed_on_interrupt mark(dir.file("marked"));
    dir.write("marked", "m");
    std::raise(SIGINT);
    std::_Exit(7);
  };
  EXPECT_EXIT(ignored(), ::testing::ExitedWithCode(7), "");
  EXPECT_TRUE(dir.exists("marked"));
}
#endif

}  // namespace
}  // namespace scenario
