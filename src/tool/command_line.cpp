#include "tool/command_line.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "compiler/exit_status.h"
#include "tool/json_output.h"
#include "tool/suggest.h"
#include "tool/tool_error.h"

namespace scenario {

namespace {

const char* const list_hint = "Run 'scenario --help' for the list of commands.";

std::vector<const CLI::App*> commands(const CLI::App& app) {
  return app.get_subcommands([](const CLI::App*) { return true; });
}

const CLI::App* find_command(const CLI::App& app, const std::string& word) {
  for (const CLI::App* command : commands(app))
    if (command->check_name(word)) return command;
  return nullptr;
}

std::string unknown_command(const CLI::App& app, const std::string& word) {
  std::vector<std::string> names;
  for (const CLI::App* command : commands(app)) names.push_back(command->get_name());
  std::string message = "unknown command '" + word + "'";
  if (std::optional<std::string> near = closest_name(word, names))
    message += " (did you mean '" + *near + "'?)";
  return message;
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

std::string lower(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return text;
}

// "-5" or "-0.5": a value, not an option.
bool is_negative_number(const std::string& word) {
  return word.size() > 1 && word[0] == '-' &&
         std::all_of(word.begin() + 1, word.end(), [](char ch) {
           return std::isdigit(static_cast<unsigned char>(ch)) || ch == '.';
         });
}

bool is_option(const std::string& word) {
  return word.size() > 1 && word[0] == '-' && word != "--" && !is_negative_number(word);
}

// The words a command's options and arguments are made of: those before a "--".
std::vector<std::string>::const_iterator end_of_options(const std::vector<std::string>& words) {
  return std::find(words.begin(), words.end(), "--");
}

bool is_colour_word(const std::string& word) {
  const std::string w = lower(word);
  return w == "auto" || w == "always" || w == "never";
}

// A bare --color asks for colours, as it does in the common tools; it takes the next word only when
// that word is a colour setting, so it never swallows a file name.
void complete_bare_colour(std::vector<std::string>& words) {
  const auto end = end_of_options(words);
  for (auto at = words.begin(); at != end; ++at)
    if (*at == "--color" && (at + 1 == end || !is_colour_word(*(at + 1)))) *at = "--color=always";
}

// The first word that looks like an option `command` does not have, as a usage error.
std::optional<std::string> unknown_option(const CLI::App& command,
                                          const std::vector<std::string>& words) {
  std::vector<std::string> long_names, short_names;
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& name : option->get_lnames()) long_names.push_back("--" + name);
    for (const std::string& name : option->get_snames()) short_names.push_back("-" + name);
  }
  const auto end = end_of_options(words);
  for (auto at = words.begin(); at != end; ++at) {
    if (!is_option(*at)) continue;
    const bool is_long = at->starts_with("--");
    // "--output=DIR" and "-oDIR" carry their value.
    const std::string name = is_long ? at->substr(0, at->find('=')) : at->substr(0, 2);
    const std::vector<std::string>& known = is_long ? long_names : short_names;
    if (std::find(known.begin(), known.end(), name) != known.end()) continue;
    std::string message = "unknown option '" + name + "'";
    // A single letter is near every other: only long names are suggested.
    if (is_long)
      if (std::optional<std::string> near = closest_name(name, long_names))
        message += " (did you mean '" + *near + "'?)";
    return message;
  }
  return std::nullopt;
}

// The parser's message in the words of the rest of the tool: the common cases reworded, any other
// as the rest of a sentence ("The following ..." loses its capital, "LINE is required" keeps it).
std::string parser_message(const CLI::ParseError& e) {
  std::string message = e.what();
  while (!message.empty() && message.back() == '\n') message.pop_back();
  const std::string unexpected_one = "The following argument was not expected: ";
  const std::string unexpected_some = "The following arguments were not expected: ";
  const std::string unconverted = "Could not convert: ";
  if (message.starts_with(unexpected_one))
    return "unexpected argument '" + message.substr(unexpected_one.size()) + "'";
  if (message.starts_with(unexpected_some))
    return "unexpected arguments: " + message.substr(unexpected_some.size());
  if (message.starts_with(unconverted)) {
    // "Could not convert: --step = many"
    const std::string rest = message.substr(unconverted.size());
    const std::size_t equals = rest.find(" = ");
    if (equals != std::string::npos)
      return rest.substr(0, equals) + ": '" + rest.substr(equals + 3) + "' is not a number";
  }
  if (e.get_name() == "ArgumentMismatch" && message.ends_with(" missing")) {
    // "--route: 1 required TEXT missing"
    return "option '" + message.substr(0, message.find(':')) + "' needs a value";
  }
  if (message.size() > 1 && std::isupper(static_cast<unsigned char>(message[0])) &&
      std::islower(static_cast<unsigned char>(message[1])))
    message[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(message[0])));
  return message;
}

CLI::Validator refuse_empty() {
  return CLI::Validator(
      [](std::string& value) { return value.empty() ? std::string("the value is empty") : ""; }, "",
      "");
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
  // Options are written "--name" everywhere: the parser would otherwise take a path beginning
  // with "/" for an option where the program is built for Windows.
  app.allow_windows_style_options(false);
  for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    command->allow_windows_style_options(false);
    for (CLI::Option* option : command->get_options([](CLI::Option*) { return true; }))
      if (option->get_items_expected_max() > 0) option->check(refuse_empty());
  }
}

std::optional<int> parse_command_line(CLI::App& app, std::vector<std::string> words,
                                      const std::map<std::string, failure_document>& json_forms,
                                      std::ostream& out, std::ostream& err) {
  if (words.empty()) {
    err << app.help();
    return as_int(exit_status::usage_or_file_error);
  }
  // The tool takes no option before its command but --help and --version.
  const CLI::App* command = nullptr;
  if (!words[0].starts_with("-")) {
    command = find_command(app, words[0]);
    if (command == nullptr) {
      print_error(err, unknown_command(app, words[0]));
      err << list_hint << '\n';
      return as_int(exit_status::usage_or_file_error);
    }
  }
  const failure_document* json_form = nullptr;
  if (command != nullptr) {
    const auto form = json_forms.find(command->get_name());
    const auto end = end_of_options(words);
    if (form != json_forms.end() && std::find(words.cbegin(), end, "--json") != end)
      json_form = &form->second;
  }
  auto refuse = [&](const std::string& message) {
    print_error(err, message);
    if (command != nullptr)
      err << "Run 'scenario " << command->get_name() << " --help' for its options.\n";
    else
      err << list_hint << '\n';
    if (json_form != nullptr) out << json_document((*json_form)(message));
    return as_int(exit_status::usage_or_file_error);
  };

  complete_bare_colour(words);
  // After "help" a command's name is the topic, not a command to run: the parser would take it
  // for one unless told that only arguments follow.
  if (command != nullptr && command->get_name() == "help" && words.size() > 1 &&
      !words[1].starts_with("-")) {
    if (words.size() > 2)
      return refuse("unexpected argument '" + words[2] + "': one command at most");
    words.insert(words.begin() + 1, "--");
  }
  const std::vector<std::string> after_command(words.begin() + (command != nullptr ? 1 : 0),
                                               words.end());
  if (std::optional<std::string> message =
          unknown_option(command != nullptr ? *command : app, after_command))
    return refuse(*message);
  std::vector<std::string> reversed(words.rbegin(), words.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e, out, err);  // --help, --version
    return refuse(parser_message(e));
  }
  if (app.get_subcommands().empty()) {
    err << app.help();
    return as_int(exit_status::usage_or_file_error);
  }
  return std::nullopt;
}

int run_help(const CLI::App& app, const std::string& command, std::ostream& out,
             std::ostream& err) {
  if (command.empty()) {
    out << app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal);
    return as_int(exit_status::ok);
  }
  const CLI::App* found = find_command(app, command);
  if (found == nullptr) {
    print_error(err, unknown_command(app, command));
    err << list_hint << '\n';
    return as_int(exit_status::usage_or_file_error);
  }
  out << found->help(app.get_name());
  return as_int(exit_status::ok);
}

CLI::Validator one_of(std::vector<std::string> names) {
  std::string listing;
  for (const std::string& name : names) listing += (listing.empty() ? "" : ", ") + name;
  return CLI::Validator(
      [names, listing](std::string& value) -> std::string {
        if (value.empty()) return "the value is empty";
        const std::string wanted = lower(value);
        for (const std::string& name : names)
          if (lower(name) == wanted) {
            value = name;
            return {};
          }
        std::string message = "'" + value + "' is not one of " + listing;
        if (std::optional<std::string> near = closest_name(wanted, names))
          message += " (did you mean '" + *near + "'?)";
        return message;
      },
      "", "");
}

bool colours_by_default(bool terminal, const std::optional<std::string>& no_color,
                        const std::optional<std::string>& term) {
  if (no_color && !no_color->empty()) return false;
  return terminal && term != "dumb";
}

}  // namespace scenario
