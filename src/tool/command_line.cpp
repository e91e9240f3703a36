#include "tool/command_line.h"

#include <sstream>
#include <vector>

#include "compiler/exit_status.h"
#include "tool/suggest.h"
#include "tool/tool_error.h"

namespace scenario {

namespace {

std::vector<const CLI::App*> commands(const CLI::App& app) {
  return app.get_subcommands([](const CLI::App*) { return true; });
}

std::optional<std::string> first_example(const CLI::App& command) {
  std::istringstream footer(command.get_footer());
  for (std::string line; std::getline(footer, line);) {
    const std::size_t start = line.find_first_not_of(' ');
    if (start != std::string::npos && line.compare(start, 9, "scenario ") == 0)
      return line.substr(start);
  }
  return std::nullopt;
}

}  // namespace

std::string example_footer(const std::string& command_line) {
  return "Example:\n  " + command_line;
}

void finish_command_line(CLI::App& app, const std::string& version) {
  app.set_version_flag("--version", "scenario " + version, "Print the version and exit");
  app.footer([&app] {
    std::string text = "Examples:\n";
    for (const CLI::App* command : commands(app))
      if (std::optional<std::string> example = first_example(*command))
        text += "  " + *example + '\n';
    return text + "\nRun 'scenario COMMAND --help' for the options of one command.";
  });
}

std::optional<int> refuse_unknown_command(const CLI::App& app, int argc, const char* const* argv,
                                          std::ostream& err) {
  if (argc < 2 || argv[1][0] == '-') return std::nullopt;
  const std::string word = argv[1];
  std::vector<std::string> names;
  for (const CLI::App* command : commands(app)) {
    if (command->check_name(word)) return std::nullopt;
    names.push_back(command->get_name());
  }
  std::string message = "unknown command '" + word + "'";
  if (std::optional<std::string> near = closest_name(word, names))
    message += " (did you mean '" + *near + "'?)";
  print_error(err, message);
  err << "Run 'scenario --help' for the list of commands.\n";
  return as_int(exit_status::usage_or_file_error);
}

}  // namespace scenario
