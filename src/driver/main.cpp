// The main program: compiles its built-in route and train into the files next to it.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "driver/files.h"
#include "driver/program.h"

namespace {

// No display here: the notice and the message box are lines on stderr.
class console final : public scenario::user_interface {
 public:
  void show_notice(std::string_view text) override { std::cerr << text << std::endl; }
  void message_box(std::string_view prompt) override {
    std::cerr << prompt << std::endl;
    if (::isatty(STDIN_FILENO)) {
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
  console ui;
  try {
    return scenario::form_load(ui, scenario::program_directory());
  } catch (const scenario::file_error& e) {
    std::cerr << "roma_pisa: " << e.what() << std::endl;
    return scenario::as_int(scenario::exit_status::usage_or_file_error);
  }
}
