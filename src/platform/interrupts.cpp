// The marks every system shares; the handlers that act on them are in each system's half.
#include "platform/interrupts.h"

#include "platform/interrupt_marks.h"

namespace scenario {

namespace system {

std::atomic<const char*> marked_files[marked_slot_count];

}  // namespace system

removed_on_interrupt::removed_on_interrupt(std::string path) : path_(std::move(path)) {
  for (int i = 0; i < system::marked_slot_count; ++i) {
    const char* expected = nullptr;
    if (system::marked_files[i].compare_exchange_strong(expected, path_.c_str())) {
      slot_ = i;
      return;
    }
  }
}

removed_on_interrupt::~removed_on_interrupt() {
  if (slot_ >= 0) system::marked_files[slot_].store(nullptr);
}

}  // namespace scenario
