// What `scenario compile` does when the system gets in its way: each fault gives a message that
// names the file and the reason, its exit status, leaves older compiled files as they were, leaves
// no temporary behind and never touches the inputs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "support/case_name.h"
#include "support/paths.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "tool/export_command.h"

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
      files[name] = test_support::file_text(entry.path());
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
    {"input that is a FIFO",
     [](const temp_dir& in, const std::string& out) {
       std::filesystem::remove(in.file(train_name));
       ::mkfifo(in.file(train_name).c_str(), 0600);
       return pair_in(in, out);
     },
     "cannot read \"$IN/Roma_Pisa_EXPR 368-.txt\": not a regular file", 2},
    {"file size limit reached in the geometry file", pair_in,
     "cannot write \"$OUT/Roma_Pisa_linea.dat\": File too large", 2, true},
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

}  // namespace
}  // namespace scenario
