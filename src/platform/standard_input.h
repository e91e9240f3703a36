// Standard input read as a stream of messages that come when they come: what has arrived so far,
// and whether more arrives within a short wait. A program that serves a client over its standard
// streams reads this way instead of to the end.
#pragma once

#include <chrono>
#include <cstddef>

namespace scenario {

// Standard input and output pass their bytes unchanged, with no translation of line ends.
void use_binary_standard_streams();

// Reads up to `size` bytes of what standard input holds into `data`, waiting for the first one;
// returns how many, 0 once the input has ended. Throws file_error when it cannot be read.
std::size_t read_standard_input_some(char* data, std::size_t size);

// Whether standard input has bytes to read, or has ended, within `timeout` (0: without waiting).
bool standard_input_waiting(std::chrono::milliseconds timeout);

}  // namespace scenario
