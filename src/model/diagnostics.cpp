#include "model/diagnostics.h"

namespace scenario {

const char* severity_name(severity s) {
  switch (s) {
    case severity::error:
      return "error";
    case severity::warning:
      return "warning";
    case severity::note:
      return "note";
  }
  return "error";
}

const char* source_file_words(source_file f) {
  switch (f) {
    case source_file::line_description:
      return "the line description";
    case source_file::train_scenario:
      return "the train scenario";
    case source_file::none:
      break;
  }
  return "the compiler";
}

}  // namespace scenario
