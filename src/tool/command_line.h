// The tool's command line as a whole: the version, the listing of the commands with their
// examples, and the answer to a command that does not exist. Each command registers itself in
// main.cpp; everything here reads the registered commands, so a new one appears on its own.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>

namespace scenario {

// "Example:" and the command line that follows, as a command's help footer.
std::string example_footer(const std::string& command_line);

// --version, and a help footer that lists one example for each registered command (the first
// line of its footer that starts with "scenario ").
void finish_command_line(CLI::App& app, const std::string& version);

// When the first word is no registered command, prints what it is not, the nearest command when
// one is near, and returns the exit status; nullopt when the words are for the parser.
std::optional<int> refuse_unknown_command(const CLI::App& app, int argc, const char* const* argv,
                                          std::ostream& err);

}  // namespace scenario
