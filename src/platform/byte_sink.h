// How a file's bytes are handed over while it is produced, so that a large file never has to exist
// in memory whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace scenario {

// Takes the bytes of a file one piece at a time, each with its offset from the start of the file.
// Together the pieces cover the file once; a file produced in two streams interleaves them.
using byte_sink = std::function<void(std::uint64_t offset, std::string_view piece)>;

}  // namespace scenario
