// The compile step both programs share: one pair of data files in, the model and a decided outcome
// out (what to write, the exit status, the diagnostics), and the writing of the compiled files.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compiler/exit_status.h"
#include "model/model.h"
#include "output/compiled_files.h"
#include "reader/read_data.h"

namespace scenario {

struct compile_outcome {
  long_t reader_code = 0;                 // code left by the reader, 0 when it read cleanly
  std::optional<long_t> reader_position;  // fault_position, when a fault has set it
  bool cells_sized = true;                // false when the reading stopped before sizing the cells
  long_t guard_code = 0;                  // 1250 / 1251 when a guard check failed
};

// Builds the model from the two data files into `c` (route and train names already set): clears
// the general records, reads, then runs the spacing pass and the identity codes even after a reader
// fault, as long as the cells exist.
compile_outcome compile_scenario(compilation& c, bool with_track_plan, const data_files& files);

struct compile_request {
  std::string route;
  std::string train;
  bool with_track_plan = true;
  bool write_despite_fault = false;  // write the files even after a reader fault
  bool check_only = false;  // compile in memory, never write, and read on after a refused entry
};

enum class verdict {
  compiled,          // the files may be written
  name_refused,      // the route or train name cannot name the files; nothing was read
  data_fault,        // the reader refused an entry
  nothing_to_write,  // the reading stopped before the cells were sized, and writing was asked for
  guard_failed,      // a guard check before writing failed
};

struct compile_result {
  verdict outcome_verdict = verdict::compiled;
  exit_status status = exit_status::ok;
  std::unique_ptr<compilation> model;  // null when the names were refused
  compile_outcome outcome;
  std::optional<diagnostic> guard;    // the failed guard check, with what holds its cell or record
  std::string refusal;                // why nothing is written, for name_refused / nothing_to_write
  std::vector<output_file> to_write;  // in write order; they read `model`, which outlives them
};

// Why a route or train name (`role` "route" or "train") cannot name the compiled files, or
// nullopt: it must fit the scenario file, keep the files inside their folder and, on every system,
// make names that Windows, where the simulator runs, can keep: none of \ / : * ? " < > | or a
// control character, no dot or blank at the end, no device name (CON, NUL, COM1, ...).
std::optional<std::string> name_fault(std::string_view role, std::string_view name);

// The first name of the request that cannot name the compiled files, with why; nullopt when both
// can. Callers that must check before touching the data files call it first; compile_pair does too.
std::optional<std::string> names_fault(const compile_request& request);

// Compiles the pair and decides what becomes of it: the names are checked before anything else,
// a reader fault writes nothing unless `write_despite_fault`, a failed guard check writes nothing.
compile_result compile_pair(const compile_request& request, const data_files& files);

// Writes the files into `directory` in their order, each replaced whole; returns their paths.
// Throws file_error for a file that cannot be written, and then every older file stays as it was:
// each name is checked to be replaceable before anything is written, and the files take their
// names only once all of them are written and on the disk.
std::vector<std::string> write_compiled_files(const std::string& directory,
                                              const std::vector<output_file>& files);

// " Errore n. " followed by the code, the prompt of the main program's message box.
std::string error_prompt(long_t code);

}  // namespace scenario
