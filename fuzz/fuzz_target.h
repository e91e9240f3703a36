// The entry point every fuzz target defines; libFuzzer calls it, and so does the replay runner that
// the normal test build uses to run the kept corpus.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
