// The tool's command line as a whole, run as the built program: every command listed with its
// example, the version from the project, output folders created on demand, and the manual page
// and shell completion kept in step with the registered commands and options. What each command
// prints is in the golden transcripts (data/golden/).
#include "tool/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/case_name.h"
#include "support/paths.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "tool/suggest.h"

namespace scenario {
namespace {

using test_support::contains;
using test_support::file_text;
using test_support::fixture_path;
using test_support::PrintTo;
using test_support::program_output;
using test_support::run_program;
using test_support::temp_dir;
using test_support::tool_path;

// The lines of one section ("Subcommands:", "Options:", ...) of a help text, up to a blank line.
std::vector<std::string> help_section(const std::string& help, const std::string& title) {
  std::istringstream in(help);
  std::vector<std::string> lines;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line == title) {
      inside = true;
    } else if (inside) {
      if (line.empty()) break;
      lines.push_back(line);
    }
  }
  return lines;
}

std::string first_word(const std::string& line) {
  std::istringstream in(line);
  std::string word;
  in >> word;
  return word;
}

// The commands as the tool lists them.
std::vector<std::string> listed_commands() {
  std::vector<std::string> names;
  for (const std::string& line :
       help_section(run_program(tool_path(), {"--help"}).out, "Subcommands:"))
    names.push_back(first_word(line));
  return names;
}

// The option names of one command as its help lists them ("-o,--output TEXT" gives two).
std::vector<std::string> listed_options(const std::string& command) {
  std::vector<std::string> names;
  for (const std::string& line :
       help_section(run_program(tool_path(), {command, "--help"}).out, "Options:")) {
    std::istringstream spelled(first_word(line));
    for (std::string name; std::getline(spelled, name, ',');) names.push_back(name);
  }
  return names;
}

TEST(ToolCommandLine, HelpListsEveryCommandWithAnExample) {
  const program_output help = run_program(tool_path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  const std::vector<std::string> commands = listed_commands();
  for (const char* expected : {"compile", "export", "dump", "plot"})
    EXPECT_NE(std::find(commands.begin(), commands.end(), expected), commands.end()) << expected;
  const std::vector<std::string> examples = help_section(help.out, "Examples:");
  for (const std::string& command : commands) {
    // One description line each, and one example each in the listing and in its own help.
    EXPECT_EQ(std::count_if(examples.begin(), examples.end(),
                            [&](const std::string& line) {
                              return line.rfind("  scenario " + command + " ", 0) == 0;
                            }),
              1)
        << command << " in\n"
        << help.out;
    const program_output own = run_program(tool_path(), {command, "--help"});
    EXPECT_EQ(own.status, 0) << command;
    const std::vector<std::string> example = help_section(own.out, "Example:");
    ASSERT_EQ(example.size(), 1u) << own.out;
    EXPECT_EQ(example[0].rfind("  scenario " + command + " ", 0), 0u) << example[0];
  }
}

TEST(ToolCommandLine, VersionComesFromTheProject) {
  const program_output version = run_program(tool_path(), {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("scenario ") + PROJECT_VERSION + "\n");
  EXPECT_EQ(version.err, "");
}

TEST(Suggest, EditDistanceCountsASwapOnce) {
  EXPECT_EQ(edit_distance("", ""), 0u);
  EXPECT_EQ(edit_distance("", "abc"), 3u);
  EXPECT_EQ(edit_distance("pendnza", "pendenza"), 1u);
  EXPECT_EQ(edit_distance("pendneza", "pendenza"), 1u);  // swap
  EXPECT_EQ(edit_distance("kitten", "sitting"), 3u);
  EXPECT_EQ(closest_name("dupm", {"plot", "dump"}), "dump");
  EXPECT_EQ(closest_name("ab", {"dump", "plot"}), std::nullopt);
}

TEST(ToolCommandLine, OutputFoldersAreCreatedWithTheirParents) {
  temp_dir dir;
  const std::string out = dir.file("a/b/out");
  const program_output compiled = run_program(
      tool_path(),
      {"compile", fixture_path("Mini_linea.txt"), fixture_path("Mini_Treno 1-.txt"), "-o", out});
  ASSERT_EQ(compiled.status, 0) << compiled.err;
  EXPECT_TRUE(std::filesystem::exists(out + "/Mini_Treno 1.dat"));

  const std::string svg = dir.file("plots/mini/plot.svg");
  const program_output plotted =
      run_program(tool_path(), {"plot", out + "/Mini_Treno 1.dat", "-o", svg});
  EXPECT_EQ(plotted.status, 0) << plotted.err;
  EXPECT_TRUE(std::filesystem::exists(svg));

  const program_output exported = run_program(tool_path(), {"export", "-o", dir.file("c/d")});
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("c/d/Roma_Pisa_linea.txt")));
}

TEST(ToolCommandLine, AFileWhereAFolderShouldBeIsNamed) {
  temp_dir dir;
  const program_output compiled =
      run_program(tool_path(), {"compile", fixture_path("Mini_linea.txt"),
                                fixture_path("Mini_Treno 1-.txt"), "-o", dir.file("ok")});
  ASSERT_EQ(compiled.status, 0) << compiled.err;
  dir.write("plain", "not a folder");
  const std::string under = dir.file("plain") + "/sub";
  const std::vector<std::string> command_lines[] = {
      {"compile", fixture_path("Mini_linea.txt"), fixture_path("Mini_Treno 1-.txt"), "-o", under},
      {"export", "-o", under},
      {"plot", dir.file("ok/Mini_Treno 1.dat"), "-o", under + "/plot.svg"},
  };
  for (const std::vector<std::string>& args : command_lines) {
    const program_output r = run_program(tool_path(), args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.err, "scenario: error: cannot create the directory \"" + under + "\": \"" +
                         dir.file("plain") + "\" exists and is not a directory\n");
  }
  EXPECT_EQ(file_text(dir.file("plain")), "not a folder");
}

TEST(ToolCommandLine, ColoursByDefaultOnlyOnATerminalThatWantsThem) {
  const struct {
    bool terminal;
    std::optional<std::string> no_color, term;
    bool colours;
  } cases[] = {
      {true, std::nullopt, "xterm-256color", true},
      {true, std::nullopt, std::nullopt, true},
      {false, std::nullopt, "xterm", false},
      {true, "1", "xterm", false},
      {true, "", "xterm", true},  // set but empty asks for nothing
      {true, std::nullopt, "dumb", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(colours_by_default(c.terminal, c.no_color, c.term), c.colours)
        << c.terminal << " NO_COLOR=" << c.no_color.value_or("(unset)")
        << " TERM=" << c.term.value_or("(unset)");
}

// What the command line changes is what the tool says, never a compiled byte: every option and
// form of it, the environment and the letter case of the names give the same files.
TEST(ToolCommandLine, CompiledBytesAreTheSameUnderEveryOptionAndName) {
  temp_dir dir;
  ASSERT_EQ(run_program(tool_path(), {"export", "-o", dir.path()}).status, 0);
  const std::string line = dir.file("Roma_Pisa_linea.txt");
  const std::string train = dir.file("Roma_Pisa_EXPR 368-.txt");
  // In a folder of their own, where names differing in case alone are one name (Windows).
  std::filesystem::create_directory(dir.file("upper"));
  std::filesystem::copy_file(line, dir.file("upper/Roma_Pisa_LINEA.TXT"));
  std::filesystem::copy_file(train, dir.file("upper/Roma_Pisa_EXPR 368-.TXT"));
  const char* const compiled[] = {"Roma_Pisa_linea.dat", "Roma_Pisa_EXPR 368.sim",
                                  "Roma_Pisa_EXPR 368.dat"};
  ASSERT_EQ(run_program(tool_path(), {"compile", line, train, "-o", dir.file("plain")}).status, 0);
  const std::vector<std::string> variants[] = {
      {"compile", line, train, "-o", dir.file("v"), "-q", "--color", "--no-source",
       "--input-encoding", "UTF-8"},
      {"compile", "--color=NEVER", "--quiet", "--json", line, train, "--output=" + dir.file("v")},
      {"compile", dir.file("upper/Roma_Pisa_LINEA.TXT"), dir.file("upper/Roma_Pisa_EXPR 368-.TXT"),
       "-o", dir.file("v"), "--color", "always", "--input-encoding=Windows-1252"},
  };
  for (const std::vector<std::string>& args : variants) {
    std::filesystem::remove_all(dir.file("v"));
    const program_output r = run_program(tool_path(), args, {"", {"NO_COLOR=1", "TERM=dumb"}});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : compiled)
      EXPECT_EQ(file_text(dir.file("v/") + name), file_text(dir.file("plain/") + name))
          << name << " after " << args.back();
  }
}

// The standard streams stand for a file where a command reads or writes one: the same bytes.
TEST(ToolCommandLine, ADashIsStandardInputOrOutput) {
  temp_dir dir;
  ASSERT_EQ(run_program(tool_path(), {"compile", fixture_path("Mini_linea.txt"),
                                      fixture_path("Mini_Treno 1-.txt"), "-o", dir.path(), "-q"})
                .status,
            0);
  const std::string cells = dir.file("Mini_Treno 1.dat");
  ASSERT_EQ(run_program(tool_path(), {"plot", cells, "-o", dir.file("p.svg")}).status, 0);
  const program_output to_stdout = run_program(tool_path(), {"plot", cells, "-o", "-"});
  EXPECT_EQ(to_stdout.status, 0) << to_stdout.err;
  EXPECT_EQ(to_stdout.out, file_text(dir.file("p.svg")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("-")));

  for (const auto& [name, kind] :
       {std::pair{"Mini_Treno 1.sim", "scenario"}, {"Mini_linea.dat", "geometry"}}) {
    const program_output named = run_program(tool_path(), {"dump", dir.file(name), "--json"});
    const program_output piped = run_program(
        tool_path(),
        {"dump", "-", "--kind", std::string(kind) == "scenario" ? "SCENARIO" : kind, "--json"},
        {"", {}, dir.file(name)});
    EXPECT_EQ(piped.status, 0) << piped.err;
    // The same document but for the file's name.
    nlohmann::json from_file = nlohmann::json::parse(named.out);
    nlohmann::json from_input = nlohmann::json::parse(piped.out);
    EXPECT_EQ(from_input["file"], "-");
    from_file.erase("file");
    from_input.erase("file");
    EXPECT_EQ(from_input, from_file) << name;
  }
}

// The manual page is written by hand: each command the tool registers has its section there,
// naming each of the command's options.
TEST(ToolCommandLine, ManualPageDescribesEveryCommandAndOption) {
  std::string page = file_text(MANUAL_PAGE);
  ASSERT_FALSE(page.empty());
  for (std::size_t at; (at = page.find("\\-")) != std::string::npos;) page.replace(at, 2, "-");
  for (const std::string& command : listed_commands()) {
    const std::size_t start = page.find(".SS \"" + command);
    ASSERT_NE(start, std::string::npos) << command;
    const std::string section = page.substr(start, page.find("\n.S", start + 1) - start);
    for (const std::string& option : listed_options(command)) {
      if (option == "-h" || option == "--help") continue;  // under OPTIONS, once for all
      EXPECT_TRUE(contains(section, option)) << command << " " << option;
    }
  }
}

#ifndef _WIN32
// Calls the completion function as bash would for `words`, the last being the word under the
// cursor, from inside `dir`; the offers, one per line.
std::string complete(const temp_dir& dir, const std::vector<std::string>& words) {
  std::vector<std::string> args{
      "-c",
      "cd \"$1\" && source \"$2\" && shift 2 && COMP_WORDS=(\"$@\") && COMP_CWORD=$(($# - 1)) && "
      "_scenario && printf '%s\\n' \"${COMPREPLY[@]}\"",
      "bash", dir.path(), COMPLETION_SCRIPT};
  args.insert(args.end(), words.begin(), words.end());
  const program_output r = run_program("/bin/bash", args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  return r.out;
}

// A folder with two data files and a folder, to complete names in.
class completion_folder {
 public:
  completion_folder() {
    dir.write("Roma_Pisa_linea.txt", "");
    dir.write("Roma_Pisa_EXPR 368-.txt", "");
    std::filesystem::create_directory(dir.file("out dir"));
  }
  temp_dir dir;
};

struct completion_case {
  const char* what;
  std::vector<std::string> words;
  std::string offers;
};

const completion_case completion_cases[] = {
    {"command by its start", {"scenario", "ex"}, "explain\nexport\n"},
    {"option of the command line", {"scenario", "--v"}, "--version\n"},
    {"options of a command", {"scenario", "compile", "--no"}, "--no-geometry\n--no-source\n"},
    {"value of kind", {"scenario", "dump", "x.dat", "--kind", "g"}, "geometry\n"},
    {"value after a separate equals sign",
     {"scenario", "compile", "--color", "=", "a"},
     "auto\nalways\n"},
    {"value joined to its option", {"scenario", "compile", "--color=n"}, "--color=never\n"},
    {"value of the encoding",
     {"scenario", "check", "a", "b", "--input-encoding", ""},
     "utf-8\nwindows-1252\n"},
    {"command to help with", {"scenario", "help", "c"}, "compile\ncheck\ncard\n"},
    {"output folder offers folders only", {"scenario", "compile", "-o", ""}, "out dir\n"},
    {"data file", {"scenario", "compile", "Roma_Pisa_E"}, "Roma_Pisa_EXPR 368-.txt\n"},
    {"a name offers nothing", {"scenario", "compile", "--route", ""}, "\n"},
};

class ToolCompletion : public ::testing::TestWithParam<completion_case> {};

TEST_P(ToolCompletion, Offers) {
  completion_folder folder;
  EXPECT_EQ(complete(folder.dir, GetParam().words), GetParam().offers);
}

INSTANTIATE_TEST_SUITE_P(, ToolCompletion, ::testing::ValuesIn(completion_cases),
                         test_support::name_from_what{});

TEST(ToolCompletionOfEveryCommand, OffersTheCommandAndEachOfItsOptions) {
  completion_folder folder;
  std::istringstream commands(complete(folder.dir, {"scenario", ""}));
  std::set<std::string> offered;
  for (std::string word; std::getline(commands, word);) offered.insert(word);
  for (const std::string& command : listed_commands()) {
    EXPECT_TRUE(offered.count(command)) << command;
    std::istringstream options(complete(folder.dir, {"scenario", command, "-"}));
    std::set<std::string> option_offers;
    for (std::string word; std::getline(options, word);) option_offers.insert(word);
    for (const std::string& option : listed_options(command))
      EXPECT_TRUE(option_offers.count(option) || option_offers.count(option + "=") ||
                  option == "-h")
          << command << " " << option;
  }
}
#endif

}  // namespace
}  // namespace scenario
