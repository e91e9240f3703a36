// The main program's run: the notice, the built-in text files, the compile and the compiled files.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// What the program shows its user; the main function gives the console, tests a recorder.
class user_interface {
 public:
  virtual ~user_interface() = default;
  virtual void show_notice(std::string_view text) = 0;
  // A message box with an OK button: returns once the user has closed it.
  virtual void message_box(std::string_view prompt) = 0;
  virtual void warning(std::string_view text) = 0;
};

// Compiles the data files found in `directory` (then deletes them) and writes the compiled files
// there. Returns the exit status; a file that cannot be read or written throws file_error. A route
// or train name the compiled files cannot carry is refused, as a warning and status 2, before any
// file is touched.
int compile_directory(user_interface& ui, const std::string& directory, const std::string& route,
                      const std::string& train, bool with_track_plan);

// The whole run of the program in `directory`: notice, built-in text files, compile with the track
// plan. Returns the exit status; throws file_error for a file it cannot write.
int run_built_in(user_interface& ui, const std::string& directory);

}  // namespace scenario
