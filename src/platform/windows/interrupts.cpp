#include "platform/interrupts.h"

#include "platform/interrupt_marks.h"
#include "platform/windows/system.h"

namespace scenario {

namespace system {

SRWLOCK& temporary_creation_lock() {
  static SRWLOCK lock = SRWLOCK_INIT;
  return lock;
}

}  // namespace system

namespace {

// The handler runs on a thread of its own, while the program goes on, so it takes the creation
// lock and keeps it until the program has ended. Ctrl-C ends as an interrupt does elsewhere (130);
// Ctrl-Break, the console window closed, a logoff or a shutdown as a termination request (143).
BOOL WINAPI remove_and_end(DWORD event) {
  ::AcquireSRWLockExclusive(&system::temporary_creation_lock());
  for (std::atomic<const char*>& slot : system::marked_files)
    if (const char* path = slot.load()) ::DeleteFileW(system::system_path(path).c_str());
  ::TerminateProcess(::GetCurrentProcess(), event == CTRL_C_EVENT ? 130 : 143);
  return TRUE;
}

}  // namespace

void remove_temporaries_on_interrupt() {
  // A program started with Ctrl-C ignored is never called for it, so it goes on ignoring it.
  ::SetConsoleCtrlHandler(&remove_and_end, TRUE);
}

}  // namespace scenario
