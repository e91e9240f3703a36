// The tool's command line as a whole: the version, the listing of the commands with their
// examples, the parsing with its usage errors, `scenario help`, and the colour default. Each
// command registers itself in scenario_main.cpp; everything here reads the registered commands and
// their options, so a new one is listed, suggested and checked on its own.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace scenario {

// "Example:" and the command line that follows, as a command's help footer.
std::string example_footer(const std::string& command_line);

// --version, a help footer that lists one example for each registered command (the first line of
// its footer that starts with "scenario "), and the refusal of an empty value for every option and
// argument that takes one: an empty name names nothing (and "-o ''" would mean the root folder).
void finish_command_line(CLI::App& app, const std::string& version);

// A command's JSON document for a run refused before it began, as its --json prints any other
// failure; the argument is the error message.
using failure_document = std::function<nlohmann::json(const std::string& message)>;

// Parses the words (the arguments after the program's name) into `app`. Help, the version and every
// usage error end the run here: returns the exit status, after printing the error in the one form
// of tool_error.h (an unknown command or option with the nearest one, when one is near) and, when
// the words hold --json, the command's failure document from `json_forms` on `out`. nullopt when
// the command is to run. A bare --color means --color=always, unless a colour word follows it.
std::optional<int> parse_command_line(CLI::App& app, std::vector<std::string> words,
                                      const std::map<std::string, failure_document>& json_forms,
                                      std::ostream& out, std::ostream& err);

// `scenario help [COMMAND]`: the help of the tool, or of one command, on `out`.
int run_help(const CLI::App& app, const std::string& command, std::ostream& out, std::ostream& err);

// An option value that names one of `names`, in any letter case; the value becomes the name as
// written there. A value that is none of them is refused with the nearest, when one is near.
CLI::Validator one_of(std::vector<std::string> names);

// Whether --color=auto colours: on a terminal, unless the environment asks for no colours
// (NO_COLOR set and not empty, or TERM=dumb).
bool colours_by_default(bool terminal, const std::optional<std::string>& no_color,
                        const std::optional<std::string>& term);

}  // namespace scenario
