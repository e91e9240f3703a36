// What the programs ask of the console and of the environment they were started in.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// Makes the standard streams carry the program's bytes as they are: no line end is rewritten on
// the way, and a console shows the UTF-8 that the programs print (on Windows its code page is
// switched to UTF-8 for the run, and colour sequences are turned on where the console has them).
// Called by each program first.
void prepare_standard_streams();

// The program's arguments after its name. On Windows they are taken from the system in UTF-16 and
// given as UTF-8, whatever the code page: a path typed with "à" names that file.
std::vector<std::string> command_line_arguments(int argc, const char* const* argv);

enum class standard_stream { input, output, error };

// Whether the stream is a terminal (colours, and a prompt that waits for a key, make sense). On
// Windows an output stream counts only where the console shows colour sequences.
bool is_terminal(standard_stream s);

// The value of an environment variable, nullopt when it is not set.
std::optional<std::string> environment_variable(const std::string& name);

// Whether nobody will read what the program prints: its console is its own and closes when it
// ends, as when it was started by a double click rather than from a command prompt. Never on a
// system without such consoles.
bool console_closes_with_program();

// Shows `text` in a message box with an OK button, titled `title`, and returns once the user has
// closed it; false when the system shows none (the caller then prints the text).
bool show_message_box(std::string_view title, std::string_view text);

}  // namespace scenario
