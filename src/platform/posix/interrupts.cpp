#include "platform/interrupts.h"

#include <signal.h>
#include <unistd.h>

#include "platform/interrupt_marks.h"

namespace scenario {

namespace {

extern "C" void remove_and_end(int signal_number) {
  for (std::atomic<const char*>& slot : system::marked_files)
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

}  // namespace scenario
