#include "compiler/compile.h"

#include <cctype>

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

namespace {

bool same_letters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != static_cast<unsigned char>(b[i]))
      return false;
  return true;
}

// Whether Windows opens a device for a file of this name: CON, PRN, AUX, NUL, COM1 to COM9 and
// LPT1 to LPT9 (and COM or LPT with a superscript digit), in any case, with any ending, and with
// blanks before the ending.
bool is_device_name(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL"})
    if (same_letters(stem, device)) return true;
  if (stem.size() < 4 ||
      !(same_letters(stem.substr(0, 3), "COM") || same_letters(stem.substr(0, 3), "LPT")))
    return false;
  const std::string_view number = stem.substr(3);
  if (number.size() == 1 && number[0] >= '1' && number[0] <= '9') return true;
  // The superscripts one to three, in Windows-1252 and in UTF-8.
  for (std::string_view superscript : {"\xB9", "\xB2", "\xB3", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"})
    if (number == superscript) return true;
  return false;
}

}  // namespace

std::optional<std::string> name_fault(std::string_view role, std::string_view name) {
  const std::string subject = "the " + std::string(role) + " name";
  if (name.empty()) return subject + " is empty: the compiled files would be named without it";
  if (name.size() > longest_name)
    return subject + " is " + std::to_string(name.size()) +
           " bytes long; the scenario file stores at most " + std::to_string(longest_name);
  if (name.find('\0') != std::string_view::npos)
    return subject + " holds a NUL byte, which no file name can hold";
  for (const char c : name)
    if (const auto byte = static_cast<unsigned char>(c); byte < 0x20) {
      static const char hex[] = "0123456789ABCDEF";
      return subject + " holds the control character 0x" + hex[byte >> 4] + hex[byte & 0xF] +
             ", which a Windows file name cannot hold";
    }
  const std::string quoted = subject + " \"" + std::string(name) + "\"";
  // The simulator runs on Windows, where "\\" separates folders as "/" does.
  for (const char separator : {'/', '\\'})
    if (name.find(separator) != std::string_view::npos)
      return quoted + " holds \"" + separator +
             "\": the compiled files must stay inside the output folder";
  if (name == "." || name == "..")
    return quoted + " names a folder: the compiled files must stay inside the output folder";
  const std::size_t forbidden = name.find_first_of(":*?\"<>|");
  if (forbidden != std::string_view::npos)
    return quoted + " holds \"" + name[forbidden] + "\", which a Windows file name cannot hold";
  if (name.back() == '.' || name.back() == ' ')
    return quoted + " ends in " + (name.back() == '.' ? "a dot" : "a blank") +
           ", which Windows drops from the end of a file name";
  if (is_device_name(name))
    return quoted +
           " is the name of a device on Windows (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, "
           "with any ending): no file can be named so";
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
