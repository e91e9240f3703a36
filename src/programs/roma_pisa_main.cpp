// The main program: compiles its built-in route and train into the files next to it.
#include <exception>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/exit_status.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/interrupts.h"
#include "programs/built_in_run.h"

namespace {

// Started by a double click, the program has a console window of its own that closes when it
// ends: the notice shows there while it works, and what it says at the end goes into a message
// box, which waits for its OK. Started from a command prompt, it prints everything on stderr.
bool in_message_box(std::string_view text) {
  return scenario::console_closes_with_program() && scenario::show_message_box("roma_pisa", text);
}

class console_ui final : public scenario::user_interface {
 public:
  void show_notice(std::string_view text) override { std::cerr << text << std::endl; }
  void message_box(std::string_view prompt) override {
    if (in_message_box(prompt)) return;
    std::cerr << prompt << std::endl;
    if (scenario::is_terminal(scenario::standard_stream::input)) {
      std::cerr << "[OK: Enter] " << std::flush;
      std::string ignored;
      std::getline(std::cin, ignored);
    }
  }
  void warning(std::string_view text) override {
    const std::string line = "roma_pisa: warning: " + std::string(text);
    if (!in_message_box(line)) std::cerr << line << std::endl;
  }
};

void report_failure(const std::string& line) {
  if (!in_message_box(line)) std::cerr << line << std::endl;
}

constexpr std::string_view help_text =
    "Usage: roma_pisa [--help | --version]\n"
    "\n"
    "Compiles the built-in route \"Roma_Pisa\" and train \"EXPR 368\" into the files the\n"
    "simulator loads, in the folder that holds this program (whatever the current folder):\n"
    "  Roma_Pisa_linea.dat      line geometry: the track plan, one point per metre\n"
    "  Roma_Pisa_EXPR 368.sim   scenario file: the 87 general records\n"
    "  Roma_Pisa_EXPR 368.dat   route cell file: one record per 50 metres\n"
    "and the three documents for the driver: Roma_Pisa_EXPR 368_scheda_treno.txt,\n"
    "..._rallentamenti.txt and ..._note.txt. Files of those names are replaced.\n"
    "Run without arguments to compile.\n"
    "\n"
    "Exit status: 0 compiled; 1 the built-in data hold a fault; 2 a file could not be\n"
    "written, or an argument is not one of these; 3 a guard check before writing failed.\n"
    "\n"
    "Scenario authors compile their own pairs of data files with the scenario tool.\n";

// Answers --help and --version, refuses anything else; nullopt for a bare run.
std::optional<int> answer_arguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  const std::string_view first = arguments[0];
  const bool help = first == "--help" || first == "-h";
  const bool version = first == "--version";
  if (arguments.size() == 1 && help) {
    std::cout << help_text;
    return scenario::as_int(scenario::exit_status::ok);
  }
  if (arguments.size() == 1 && version) {
    std::cout << "roma_pisa " << SCENARIO_VERSION << '\n';
    return scenario::as_int(scenario::exit_status::ok);
  }
  const std::string_view unexpected = help || version ? arguments[1] : first;
  std::cerr << "roma_pisa: error: unexpected argument '" << unexpected
            << "': the program takes --help or --version alone, or nothing to compile\n";
  return scenario::as_int(scenario::exit_status::usage_or_file_error);
}

}  // namespace

int main(int argc, char** argv) {
  const int failed = scenario::as_int(scenario::exit_status::usage_or_file_error);
  scenario::prepare_standard_streams();
  try {
    if (const std::optional<int> answered =
            answer_arguments(scenario::command_line_arguments(argc, argv)))
      return *answered;
    scenario::remove_temporaries_on_interrupt();
    console_ui ui;
    return scenario::run_built_in(ui, scenario::program_directory());
  } catch (const scenario::file_error& e) {
    report_failure("roma_pisa: " + std::string(e.what()));
  } catch (const std::bad_alloc&) {
    report_failure("roma_pisa: error: out of memory");
  } catch (const std::exception& e) {
    report_failure("roma_pisa: error: " + std::string(e.what()));
  } catch (...) {
    report_failure("roma_pisa: error: an unexpected failure ended the run");
  }
  return failed;
}
