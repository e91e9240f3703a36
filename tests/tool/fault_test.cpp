// What the tool does when the system gets in its way: each fault gives a message that names the
// file and the reason and its exit status (never an abort), leaves older compiled files as they
// were, leaves no temporary behind and never touches the inputs.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "largest_scenario.h"
#include "support/case_name.h"
#include "support/paths.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "tool/export_command.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace scenario {
namespace {

using test_support::PrintTo;
using test_support::program_output;
using test_support::run_program;
using test_support::temp_dir;
using test_support::tool_path;

const std::string line_name = "Roma_Pisa_linea.txt";
const std::string train_name = "Roma_Pisa_EXPR 368-.txt";
const std::string compiled[] = {"Roma_Pisa_linea.dat", "Roma_Pisa_EXPR 368.sim",
                                "Roma_Pisa_EXPR 368.dat"};

// Everything in a directory, name to bytes (directories and FIFOs as a marker).
std::map<std::string, std::string> snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file()) {
      files[name] = test_support::file_text(test_support::path_text(entry.path()));
    } else {
      files[name] = "<not a regular file>";
    }
  }
  return files;
}

struct fault_case {
  const char* what;
  // Prepares the inputs in `in` and returns the arguments of `scenario compile` (with -o out).
  std::vector<std::string> (*prepare)(const temp_dir& in, const std::string& out);
  std::string expected_message;  // with $IN and $OUT for the two directories
  int status;
  bool through_shell_with_file_size_limit = false;
};

std::vector<std::string> pair_in(const temp_dir& in, const std::string& out) {
  return {"compile", in.file(line_name), in.file(train_name), "-o", out};
}

const fault_case fault_cases[] = {
    {"output folder under a regular file",
     [](const temp_dir& in, const std::string&) {
       in.write("plain", "x");
       return std::vector<std::string>{"compile", in.file(line_name), in.file(train_name), "-o",
                                       in.file("plain") + "/out"};
     },
     "cannot create the directory \"$IN/plain/out\": \"$IN/plain\" exists and is not a directory",
     2},
    {"missing input",
     [](const temp_dir& in, const std::string& out) {
       std::filesystem::remove(in.file(train_name));
       return pair_in(in, out);
     },
     "cannot open \"$IN/Roma_Pisa_EXPR 368-.txt\": No such file or directory", 2},
    {"input that is a directory",
     [](const temp_dir& in, const std::string& out) {
       std::filesystem::remove(in.file(line_name));
       std::filesystem::create_directory(in.file(line_name));
       return pair_in(in, out);
     },
     "cannot read \"$IN/Roma_Pisa_linea.txt\": Is a directory", 2},
#ifndef _WIN32
    {"input that is a FIFO",
     [](const temp_dir& in, const std::string& out) {
       std::filesystem::remove(in.file(train_name));
       ::mkfifo(in.file(train_name).c_str(), 0600);
       return pair_in(in, out);
     },
     "cannot read \"$IN/Roma_Pisa_EXPR 368-.txt\": not a regular file", 2},
    {"file size limit reached in the geometry file", pair_in,
     "cannot write \"$OUT/Roma_Pisa_linea.dat\": File too large", 2, true},
#endif
    {"a directory in place of the scenario file, the second of the three",
     [](const temp_dir& in, const std::string& out) {
       std::filesystem::remove(out + "/Roma_Pisa_EXPR 368.sim");
       std::filesystem::create_directory(out + "/Roma_Pisa_EXPR 368.sim");
       return pair_in(in, out);
     },
     "cannot replace \"$OUT/Roma_Pisa_EXPR 368.sim\": Is a directory", 2},
};

std::string expand(std::string text, const std::string& in, const std::string& out) {
  for (const auto& [key, value] : {std::pair{std::string("$IN"), in}, {"$OUT", out}})
    for (std::size_t at; (at = text.find(key)) != std::string::npos;)
      text.replace(at, key.size(), value);
  return text;
}

class ToolFaults : public ::testing::TestWithParam<fault_case> {};

TEST_P(ToolFaults, ClearMessageStatusAndNothingLost) {
  const fault_case& fc = GetParam();
  temp_dir in, out;
  std::ostringstream ignored;
  ASSERT_EQ(run_export({in.path(), false}, ignored, ignored), 0);
  for (const std::string& name : compiled) out.write(name, "older " + name);
  const std::vector<std::string> args = fc.prepare(in, out.path());
  const auto inputs_before = snapshot(in.path());
  const auto outputs_before = snapshot(out.path());

  program_output r;
  if (fc.through_shell_with_file_size_limit) {
    // SIGXFSZ ignored, so the write fails with EFBIG half-way through the 6.8 MB geometry file.
    std::string script = "trap '' XFSZ; ulimit -f 4000; exec '" + tool_path() + "'";
    for (const std::string& a : args) script += " '" + a + "'";
    r = run_program("/bin/sh", {"-c", script});
  } else {
    r = run_program(tool_path(), args);
  }
  EXPECT_EQ(r.status, fc.status) << r.err;
  EXPECT_EQ(r.err, "scenario: error: " + expand(fc.expected_message, in.path(), out.path()) + "\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(snapshot(in.path()), inputs_before);
  EXPECT_EQ(snapshot(out.path()), outputs_before);  // older files kept, no temporary
}

INSTANTIATE_TEST_SUITE_P(, ToolFaults, ::testing::ValuesIn(fault_cases),
                         test_support::name_from_what{});

#ifdef _WIN32
// What keeps a compiled file from being replaced on Windows alone, where the simulator runs: the
// compile names the file and the reason, and replaces none of the three.
struct windows_fault {
  const char* what;
  // Puts the fault on the file and returns what takes it away again.
  std::function<void()> (*make)(const std::wstring& path);
  std::string reason;
};

const windows_fault windows_faults[] = {
    {"the simulator holds the route cell file open",
     [](const std::wstring& path) -> std::function<void()> {
       // As a program that reads the file: others may read it too, but not replace it.
       const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
       return [h] { ::CloseHandle(h); };
     },
     "another program has it open; close it there and try again"},
    {"a read-only route cell file",
     [](const std::wstring& path) -> std::function<void()> {
       ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
       return [path] { ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); };
     },
     "the file is read-only"},
};

class ToolFaultsOnWindows : public ::testing::TestWithParam<windows_fault> {};

TEST_P(ToolFaultsOnWindows, TheFileIsNamedAndEveryOlderFileKept) {
  temp_dir in, out;
  std::ostringstream ignored;
  ASSERT_EQ(run_export({in.path(), false}, ignored, ignored), 0);
  for (const std::string& name : compiled) out.write(name, "older " + name);
  const std::string cells = out.file("Roma_Pisa_EXPR 368.dat");
  const auto before = snapshot(out.path());
  const std::function<void()> release = GetParam().make(test_support::path_of(cells).wstring());
  const program_output r = run_program(tool_path(), pair_in(in, out.path()));
  const auto after = snapshot(out.path());
  release();
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(r.err,
            "scenario: error: cannot replace \"" + cells + "\": " + GetParam().reason + "\n");
  EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(, ToolFaultsOnWindows, ::testing::ValuesIn(windows_faults),
                         test_support::name_from_what{});
#else

// Runs the tool with its output thrown away and sends it `signal_number` once a temporary file
// shows in `watched`; the exit status, or nullopt when the run ended before one showed.
std::optional<int> interrupt_when_writing(const std::vector<std::string>& args,
                                          const std::string& watched, int signal_number) {
  std::vector<std::string> words{tool_path()};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, tool_path().c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return std::nullopt;
  int raw = 0;
  for (;;) {
    if (::waitpid(pid, &raw, WNOHANG) == pid) return std::nullopt;  // done before any write
    bool writing = false;
    for (const auto& entry : std::filesystem::directory_iterator(watched))
      writing |= entry.path().filename().string().find(".tmp.") != std::string::npos;
    if (writing) break;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  ::kill(pid, signal_number);
  if (::waitpid(pid, &raw, 0) != pid) return std::nullopt;
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

// Ctrl-C or a termination request while the largest scenario's 20 MB are written.
TEST(ToolInterrupts, AnInterruptedCompileLeavesNoTemporaryAndEveryOlderFile) {
  const tools::scenario_texts texts = tools::largest_scenario();
  temp_dir in;
  in.write("Largest_linea.txt", texts.line);
  in.write("Largest_T 1-.txt", texts.train);
  const std::vector<std::string> older = {"Largest_linea.dat", "Largest_T 1.sim",
                                          "Largest_T 1.dat"};
  for (const auto& [signal_number, status] : {std::pair{SIGINT, 130}, {SIGTERM, 143}}) {
    SCOPED_TRACE(signal_number);
    std::optional<int> ended;
    // A run that ends before the watcher sees it write proves nothing; it is tried again.
    for (int attempt = 0; attempt < 5 && !ended; ++attempt) {
      temp_dir out;
      for (const std::string& name : older) out.write(name, "older " + name);
      const auto before = snapshot(out.path());
      ended = interrupt_when_writing(
          {"compile", in.file("Largest_linea.txt"), in.file("Largest_T 1-.txt"), "-o", out.path()},
          out.path(), signal_number);
      if (ended) {
        EXPECT_EQ(snapshot(out.path()), before);  // no temporary, every older file
      }
    }
    ASSERT_TRUE(ended) << "no run was caught writing";
    EXPECT_EQ(*ended, status);
  }
}

TEST(ToolInputs, AnInputFarLargerThanAnyScenarioIsRefusedBeforeItIsRead) {
  temp_dir in;
  std::ostringstream ignored;
  ASSERT_EQ(run_export({in.path(), false}, ignored, ignored), 0);
  // 100 GiB, nearly all of it holes on the disk.
  ASSERT_EQ(::truncate(in.file(line_name).c_str(), off_t{100} << 30), 0);
  const program_output r = run_program(tool_path(), pair_in(in, in.file("out")));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "scenario: error: cannot read \"" + in.file(line_name) +
                       "\": it holds 107374182400 bytes; an input may hold at most 268435456 "
                       "bytes (256 MiB)\n");
  EXPECT_FALSE(in.exists("out"));
}

// Lookups the standard library answers with an exception: a clear message and status 2.
TEST(ToolInputs, FailedLookupsEndWithAMessageNotAnAbort) {
  temp_dir dir;
  ASSERT_EQ(
      run_program(tool_path(),
                  {"compile", std::string(TEST_DATA_DIR) + "/tool/Mini_linea.txt",
                   std::string(TEST_DATA_DIR) + "/tool/Mini_Treno 1-.txt", "-o", dir.path(), "-q"})
          .status,
      0);
  // The scenario file beside the cell file is a symbolic link to itself.
  std::filesystem::remove(dir.file("Mini_Treno 1.sim"));
  std::filesystem::create_symlink("Mini_Treno 1.sim", dir.file("Mini_Treno 1.sim"));
  const program_output plot =
      run_program(tool_path(), {"plot", dir.file("Mini_Treno 1.dat"), "-o", dir.file("p.svg")});
  EXPECT_EQ(plot.status, 2);
  EXPECT_EQ(plot.err, "scenario: error: cannot open \"" + dir.file("Mini_Treno 1.sim") +
                          "\": Too many levels of symbolic links\n");

  // A folder that cannot be searched, as a user other than the superuser meets it.
  const std::string locked = dir.file("locked");
  std::filesystem::create_directory(locked);
  ::chmod(dir.path().c_str(), 0755);
  ::chmod(locked.c_str(), 0666);
  std::vector<std::string> export_args = {"export", "-o", locked};
  std::string program = tool_path();
  if (::geteuid() == 0) {
    program = "/usr/bin/setpriv";
    if (!std::filesystem::exists(program)) GTEST_SKIP() << "setpriv is needed to drop root";
    export_args.insert(export_args.begin(),
                       {"--reuid=65534", "--regid=65534", "--clear-groups", tool_path()});
  }
  const program_output exported = run_program(program, export_args);
  EXPECT_EQ(exported.status, 2);
  EXPECT_EQ(exported.err, "scenario: error: cannot look up \"" + locked +
                              "/Roma_Pisa_linea.txt\": Permission denied\n");
}

#endif

}  // namespace
}  // namespace scenario
