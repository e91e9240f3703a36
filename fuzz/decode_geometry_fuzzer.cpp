// The geometry decoder of `scenario dump` on arbitrary bytes; what it accepts must encode back
// to the same bytes.
#include <string_view>

#include "fuzz_target.h"
#include "output/compiled_decoders.h"
#include "output/compiled_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto decoded = scenario::decode_geometry(bytes);
  if (decoded && scenario::encode_geometry(*decoded.value) != bytes) __builtin_trap();
  return 0;
}
