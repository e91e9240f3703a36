// What the programs ask of the console and of the environment they were started in.
#pragma once

#include <optional>
#include <string>

namespace scenario {

enum class standard_stream { input, output, error };

// Whether the stream is a terminal (colours, and a prompt that waits for a key, make sense).
bool is_terminal(standard_stream s);

// The value of an environment variable, nullopt when it is not set.
std::optional<std::string> environment_variable(const std::string& name);

}  // namespace scenario
