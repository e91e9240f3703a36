#include "compiler/compile.h"

#include "checks/identity.h"
#include "checks/spacing.h"
#include "platform/files.h"

namespace scenario {

compile_outcome compile_scenario(compilation& c, bool with_track_plan, const data_files& files) {
  c.with_track_plan = with_track_plan;
  c.fault_code = 0;
  c.voci_generali = tabella_voci{};

  read_data_files(c, files);

  compile_outcome outcome;
  outcome.reader_code = c.fault_code;
  if (outcome.reader_code != 0) outcome.reader_position = c.fault_position;
  // Cell 1 carries the identity code, so a model without it cannot be completed.
  if (c.percorso.size() < 2) {
    outcome.cells_sized = false;
    return outcome;
  }
  run_spacing_pass(c);
  outcome.guard_code = stamp_identity_codes(c);
  return outcome;
}

std::optional<std::string> name_fault(std::string_view role, std::string_view name) {
  const std::string subject = "the " + std::string(role) + " name";
  if (name.empty()) return subject + " is empty: the compiled files would be named without it";
  if (name.size() > longest_name)
    return subject + " is " + std::to_string(name.size()) +
           " bytes long; the scenario file stores at most " + std::to_string(longest_name);
  if (name.find('\0') != std::string_view::npos)
    return subject + " holds a NUL byte, which no file name can hold";
  const std::string quoted = subject + " \"" + std::string(name) + "\"";
  if (name.find('/') != std::string_view::npos)
    return quoted + " holds \"/\": the compiled files must stay inside the output folder";
  if (name == "." || name == "..")
    return quoted + " names a folder: the compiled files must stay inside the output folder";
  return std::nullopt;
}

std::optional<std::string> names_fault(const compile_request& request) {
  if (std::optional<std::string> fault = name_fault("route", request.route)) return fault;
  return name_fault("train", request.train);
}

compile_result compile_pair(const compile_request& request, const data_files& files) {
  compile_result result;
  if (std::optional<std::string> fault = names_fault(request)) {
    result.outcome_verdict = verdict::name_refused;
    result.status = exit_status::usage_or_file_error;
    result.refusal = *fault;
    return result;
  }
  result.model = std::make_unique<compilation>();
  compilation& c = *result.model;
  c.route_name = request.route;
  c.train_name = request.train;
  c.read_on_after_refusal = request.check_only;
  result.outcome = compile_scenario(c, request.with_track_plan, files);
  const compile_outcome& o = result.outcome;

  const bool write = !request.check_only;
  if (o.reader_code != 0 && !(write && request.write_despite_fault)) {
    result.outcome_verdict = verdict::data_fault;
    result.status = exit_status::fault;
    return result;
  }
  if (!o.cells_sized) {
    result.outcome_verdict = verdict::nothing_to_write;
    result.status = exit_status::fault;
    result.refusal = "nothing to write: the reading stopped before the route cells were sized";
    return result;
  }
  if (o.guard_code != 0) {
    result.outcome_verdict = verdict::guard_failed;
    result.status = exit_status::guard_failed;
    result.guard = guard_diagnostic(c, o.guard_code);
    return result;
  }
  // Written despite a reader fault, the files still report it.
  result.status = o.reader_code != 0 ? exit_status::fault : exit_status::ok;
  if (write) result.to_write = compiled_files(c);
  return result;
}

std::vector<std::string> write_compiled_files(const std::string& directory,
                                              const std::vector<output_file>& files) {
  std::vector<std::string> paths;
  for (const output_file& f : files) paths.push_back(join_path(directory, f.name));
  // The simulator loads the files as a set, so none is replaced unless all can be: every name is
  // checked first, and every file is written and on the disk before the first takes its name.
  for (const std::string& path : paths) check_replaceable(path);
  std::vector<std::unique_ptr<staged_file>> staged;
  for (std::size_t i = 0; i < files.size(); ++i)
    staged.push_back(std::make_unique<staged_file>(paths[i], files[i].size, files[i].produce));
  for (const std::unique_ptr<staged_file>& file : staged) file->commit();
  if (!paths.empty()) flush_folder(folder_of(paths.front()));
  return paths;
}

std::string error_prompt(long_t code) {
  return " Errore n. " + std::to_string(code);
}

}  // namespace scenario
