// The exit statuses of the two programs.
#pragma once

namespace scenario {

enum class exit_status : int {
  ok = 0,
  fault = 1,                // the data hold a fault (the main program: any numbered message)
  usage_or_file_error = 2,  // a command line the tool cannot use, or a file that cannot be used
  guard_failed = 3,         // the tool only: a guard check before writing failed
};

inline int as_int(exit_status s) {
  return static_cast<int>(s);
}

}  // namespace scenario
