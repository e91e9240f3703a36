#include "platform/zeroed_array.h"

#include <cstdlib>
#include <new>

#include "platform/windows/system.h"

namespace scenario::detail {

namespace {
// Below this the heap serves: calloc is cheap for small blocks.
constexpr std::size_t map_threshold = 1 << 20;
}  // namespace

void* allocate_zeroed(std::size_t bytes, std::size_t& mapped) {
  mapped = 0;
  if (bytes >= map_threshold) {
    // Committed pages read as zero and are touched only as they are filled.
    void* p = ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (p == nullptr) throw std::bad_alloc();
    mapped = bytes;
    return p;
  }
  void* p = std::calloc(bytes, 1);
  if (!p) throw std::bad_alloc();
  return p;
}

void release_zeroed(void* p, std::size_t mapped) {
  if (mapped > 0) {
    ::VirtualFree(p, 0, MEM_RELEASE);
    return;
  }
  std::free(p);
}

}  // namespace scenario::detail
