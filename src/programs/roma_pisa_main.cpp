// The main program: compiles its built-in route and train into the files next to it.
#include <iostream>
#include <string>

#include "compiler/exit_status.h"
#include "platform/console.h"
#include "platform/files.h"
#include "programs/built_in_run.h"

namespace {

// No display here: the notice and the message box are lines on stderr.
class console_ui final : public scenario::user_interface {
 public:
  void show_notice(std::string_view text) override { std::cerr << text << std::endl; }
  void message_box(std::string_view prompt) override {
    std::cerr << prompt << std::endl;
    if (scenario::is_terminal(scenario::standard_stream::input)) {
      std::cerr << "[OK: Enter] " << std::flush;
      std::string ignored;
      std::getline(std::cin, ignored);
    }
  }
  void warning(std::string_view text) override {
    std::cerr << "roma_pisa: warning: " << text << std::endl;
  }
};

}  // namespace

int main() {
  console_ui ui;
  try {
    return scenario::run_built_in(ui, scenario::program_directory());
  } catch (const scenario::file_error& e) {
    std::cerr << "roma_pisa: " << e.what() << std::endl;
    return scenario::as_int(scenario::exit_status::usage_or_file_error);
  }
}
