#include "platform/zeroed_array.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace scenario::detail {

namespace {
// Below this the heap serves: calloc is cheap for small blocks.
constexpr std::size_t map_threshold = 1 << 20;
constexpr std::size_t large_page = 2 << 20;
}  // namespace

void* allocate_zeroed(std::size_t bytes, std::size_t& mapped) {
  mapped = 0;
#if defined(__linux__)
  if (bytes >= map_threshold) {
    const std::size_t length = (bytes + large_page - 1) / large_page * large_page;
    void* p = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    // Fewer, larger page faults as the plan is filled; only advice, so its failure is harmless.
    (void)::madvise(p, length, MADV_HUGEPAGE);
    mapped = length;
    return p;
  }
#endif
  void* p = std::calloc(bytes, 1);
  if (!p) throw std::bad_alloc();
  return p;
}

void release_zeroed(void* p, std::size_t mapped) {
#if defined(__linux__)
  if (mapped > 0) {
    ::munmap(p, mapped);
    return;
  }
#endif
  std::free(p);
}

}  // namespace scenario::detail
