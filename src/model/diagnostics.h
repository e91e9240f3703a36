// Faults found while compiling, as data: formatting them is the caller's business.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace scenario {

enum class severity { error, warning, note };
enum class source_file { none, line_description, train_scenario };

// Where a field starts in its file: 1-based line and column (in bytes); 0 when unknown.
struct source_point {
  int line = 0;
  int column = 0;

  friend bool operator==(const source_point&, const source_point&) = default;
};

struct diagnostic {
  std::int32_t code = 0;
  std::optional<std::int32_t> position;  // metres, when the fault has a place
  severity sev = severity::error;
  source_file file = source_file::none;
  int line = 0;  // 1-based line of the entry that caused it, 0 when none
  std::string message;
  int column = 0;  // 1-based byte column of the field at fault, 0 when none

  friend bool operator==(const diagnostic&, const diagnostic&) = default;
};

// A fault as a placing operation or a reader step reports it; the reader records it, with the file
// and line of the entry, through record_fault.
struct fault {
  fault(std::int32_t c = 0, std::optional<std::int32_t> p = std::nullopt, std::string m = {},
        std::optional<source_point> where = std::nullopt)
      : code(c), position(p), message(std::move(m)), at(where) {}

  std::int32_t code = 0;
  std::optional<std::int32_t> position;  // metres, when the fault has a place
  std::string message;                   // empty: the plain words of the code
  std::optional<source_point> at;        // the field at fault, when the placer read it itself
};

// "the line description" / "the train scenario", for messages that point at another entry.
const char* source_file_words(source_file f);

const char* severity_name(severity s);

}  // namespace scenario
