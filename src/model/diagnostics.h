// Faults found while compiling, as data: formatting them is the caller's business.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace scenario {

enum class severity { error, warning, note };
enum class source_file { none, line_description, train_scenario };

struct diagnostic {
  std::int32_t code = 0;
  std::optional<std::int32_t> position;  // metres, when the fault has a place
  severity sev = severity::error;
  source_file file = source_file::none;
  int line = 0;  // 1-based line of the entry that caused it, 0 when none
  std::string message;

  friend bool operator==(const diagnostic&, const diagnostic&) = default;
};

// A fault as a placing operation or a reader step reports it; the reader records it, with the file
// and line of the entry, through record_fault.
struct fault {
  std::int32_t code = 0;
  std::optional<std::int32_t> position;  // metres, when the fault has a place
  std::string message;                   // empty: the plain words of the code
};

// Plain words for a fault code.
std::string describe_code(std::int32_t code);

const char* severity_name(severity s);

}  // namespace scenario
