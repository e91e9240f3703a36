// `scenario dump --textconv` as the textconv driver of git, configured as the README says: a real
// `git diff` of compiled files that changed shows the changed station, and nothing else.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "content/documents.h"
#include "support/paths.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::program_output;
using test_support::run_program;
using test_support::temp_dir;

const std::string tool = test_support::tool_path();

std::string program_on_path(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (!dir.empty() && std::filesystem::exists(dir + "/" + name)) return dir + "/" + name;
  return {};
}

// The lines that a unified diff removes or adds, without the file headings.
std::vector<std::string> changed_lines(const std::string& diff) {
  std::vector<std::string> lines;
  std::istringstream in(diff);
  for (std::string line; std::getline(in, line);)
    if ((line[0] == '-' || line[0] == '+') && line.rfind("---", 0) != 0 &&
        line.rfind("+++", 0) != 0)
      lines.push_back(line);
  return lines;
}

TEST(GitTextconv, DiffOfCompiledFilesShowsTheMovedStation) {
  const std::string git_program = program_on_path("git");
  if (git_program.empty()) GTEST_SKIP() << "git is not installed";
  temp_dir repo, sources;
  auto git = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"-C", repo.path(), "-c", "user.name=Author", "-c",
                               "user.email=author@example.org"});
    const program_output r = run_program(git_program, args);
    EXPECT_EQ(r.status, 0) << args[6] << ": " << r.err;
    return r.out;
  };
  // The two files that use the driver, and the driver, as the README has them.
  git({"init", "-q"});
  repo.write(".gitattributes", "*.dat diff=scenario\n*.sim diff=scenario\n");
  git({"config", "diff.scenario.textconv", "'" + tool + "' dump --textconv"});
  git({"config", "diff.scenario.cachetextconv", "true"});

  const std::vector<text_document> docs = built_in_documents(built_in_route, built_in_train);
  auto compile = [&](const std::string& train) {
    sources.write("Roma_Pisa_linea.txt", docs[0].bytes());
    sources.write("Roma_Pisa_EXPR 368-.txt", train);
    const program_output r =
        run_program(tool, {"compile", sources.file("Roma_Pisa_linea.txt"),
                           sources.file("Roma_Pisa_EXPR 368-.txt"), "-o", repo.path()});
    ASSERT_EQ(r.status, 0) << r.err;
  };
  std::string train = docs[1].bytes();
  compile(train);
  git({"add", "."});
  git({"commit", "-q", "-m", "the built-in scenario"});

  train.replace(train.find("stazione,  128000"), 17, "stazione,  128200");
  compile(train);
  const std::string worktree = git({"diff"});
  // The scenario file names the station; the cell file has its end cell, by record number. The
  // geometry did not change, and no line tells the temporary names git gave the old files.
  EXPECT_EQ(changed_lines(worktree),
            (std::vector<std::string>{
                "-  cell   2563    128150 m  station end: station 17",
                "+  cell   2567    128350 m  station end: station 17",
                "-  record 17  station \"Chiarone\": position 128000 m, kind 22 (area centred on "
                "P), length 400 m, values 4 to 13: 0 0 0 0 0 0 4 1 1 0, time 00:00:00; area 127800 "
                "to 128200 m",
                "+  record 17  station \"Chiarone\": position 128200 m, kind 22 (area centred on "
                "P), length 400 m, values 4 to 13: 0 0 0 0 0 0 4 1 1 0, time 00:00:00; area 128000 "
                "to 128400 m",
            }))
      << worktree;

  // Between two commits both sides are temporary files; the diff is the same.
  git({"commit", "-q", "-a", "-m", "Chiarone 200 m on"});
  EXPECT_EQ(changed_lines(git({"diff", "HEAD~1", "HEAD"})), changed_lines(worktree));
}

}  // namespace
}  // namespace scenario
