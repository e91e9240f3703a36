// What an interrupted run leaves behind. Ctrl-C or a termination request during a write would
// otherwise leave the temporary file of that write beside its target, megabytes of it for a long
// route; the programs ask for those temporaries to be removed before they end.
#pragma once

#include <string>

namespace scenario {

// From now on an interrupt (Ctrl-C) or a termination request removes every file marked below and
// ends the program with status 130 or 143: 128 + the signal's number of SIGINT and SIGTERM. On
// Windows Ctrl-C is the interrupt, and Ctrl-Break, closing the console window, a logoff and a
// shutdown are termination requests. Called once by each program at its start; an interrupt the
// program was started ignoring stays ignored, as a background job's is.
void remove_temporaries_on_interrupt();

// Marks a file as one an interrupted run removes, for as long as the mark lives. The file need not
// exist yet: marking before creating it leaves no moment when it exists unmarked.
class removed_on_interrupt {
 public:
  explicit removed_on_interrupt(std::string path);
  ~removed_on_interrupt();
  removed_on_interrupt(const removed_on_interrupt&) = delete;
  removed_on_interrupt& operator=(const removed_on_interrupt&) = delete;

 private:
  std::string path_;  // the signal handler reads its characters, so it never changes
  int slot_ = -1;     // -1 when every slot was taken
};

}  // namespace scenario
