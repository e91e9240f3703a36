// The whole compile: one input split into a line description and a train scenario, compiled with
// or without the track plan, and the compiled files encoded in memory.
#include <string_view>

#include "compiler/compile.h"
#include "fuzz_target.h"
#include "output/compiled_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the track plan; a NUL byte separates the two files.
  const bool with_plan = (data[0] & 1) != 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t split = input.find('\0');
  scenario::data_files files;
  files.line_description = std::string(input.substr(0, split));
  if (split != std::string_view::npos) files.train_scenario = std::string(input.substr(split + 1));

  scenario::compilation c;
  c.route_name = "Fuzz";
  c.train_name = "T";
  const scenario::compile_outcome outcome = scenario::compile_scenario(c, with_plan, files);
  if (outcome.cells_sized && outcome.guard_code == 0) {
    std::size_t total = 0;
    for (const scenario::output_file& f : scenario::compiled_files(c))
      f.produce([&total](std::uint64_t, std::string_view piece) { total += piece.size(); });
    if (total == 0) __builtin_trap();  // a compiled scenario always has bytes
  }
  return 0;
}
