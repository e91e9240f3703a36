#include "platform/interrupts.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace scenario {

namespace {

// The marked names. A signal handler may neither lock nor allocate, so the names sit in a fixed
// table of pointers that it reads as they are; a write marks at most a few files at once.
constexpr int slot_count = 32;
std::atomic<const char*> marked[slot_count];
static_assert(std::atomic<const char*>::is_always_lock_free);

extern "C" void remove_and_end(int signal_number) {
  for (std::atomic<const char*>& slot : marked)
    if (const char* path = slot.load()) ::unlink(path);
  ::_exit(128 + signal_number);
}

void handle(int signal_number) {
  struct sigaction current {};
  if (::sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = &remove_and_end;
  ::sigemptyset(&action.sa_mask);
  // One handler at a time: a second signal waits until the first has ended the program.
  ::sigaddset(&action.sa_mask, SIGINT);
  ::sigaddset(&action.sa_mask, SIGTERM);
  ::sigaction(signal_number, &action, nullptr);
}

}  // namespace

void remove_temporaries_on_interrupt() {
  handle(SIGINT);
  handle(SIGTERM);
}

removed_on_interrupt::removed_on_interrupt(std::string path) : path_(std::move(path)) {
  for (int i = 0; i < slot_count; ++i) {
    const char* expected = nullptr;
    if (marked[i].compare_exchange_strong(expected, path_.c_str())) {
      slot_ = i;
      return;
    }
  }
}

removed_on_interrupt::~removed_on_interrupt() {
  if (slot_ >= 0) marked[slot_].store(nullptr);
}

}  // namespace scenario
