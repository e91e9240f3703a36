// The names marked for removal on an interrupt, which each system's handler (posix/interrupts.cpp,
// windows/interrupts.cpp) removes. Only platform/ uses it.
#pragma once

#include <atomic>

namespace scenario::system {

// A handler may neither lock nor allocate, so the names sit in a fixed table of pointers that it
// reads as they are; a write marks at most a few files at once. An empty slot holds nullptr.
inline constexpr int marked_slot_count = 32;
extern std::atomic<const char*> marked_files[marked_slot_count];
static_assert(std::atomic<const char*>::is_always_lock_free);

}  // namespace scenario::system
