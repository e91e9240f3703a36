// What the programs ask of the console.
#pragma once

namespace scenario {

enum class standard_stream { input, output, error };

// Whether the stream is a terminal (colours, and a prompt that waits for a key, make sense).
bool is_terminal(standard_stream s);

}  // namespace scenario
