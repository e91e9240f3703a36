#include "tool/compile_command.h"

#include <algorithm>
#include <cerrno>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <sstream>

#include "compiler/compile.h"
#include "platform/files.h"
#include "reader/data_file_names.h"
#include "tool/author_checks.h"
#include "tool/data_pair.h"
#include "tool/diagnostic_format.h"
#include "tool/json_output.h"
#include "tool/text_encoding.h"
#include "tool/tool_error.h"

namespace scenario {

namespace {

// Collects what the run says, then prints it once in the requested form.
struct report {
  report(const compile_options& o, std::ostream& out_stream, std::ostream& err_stream)
      : options(o),
        names{o.line_path, o.train_path, std::string(tool_name)},
        out(out_stream),
        err(err_stream) {}

  const compile_options& options;
  source_names names;
  std::ostream& out;
  std::ostream& err;
  nlohmann::json files = nlohmann::json::array();
  nlohmann::json diagnostics = nlohmann::json::array();
  std::string failure;  // a usage or file error
  source_texts sources;
  bool hinted = false;
  bool warned = false;
  bool checking = false;
  std::size_t errors = 0, warnings = 0;
  std::size_t compile_warnings = 0;  // of `warnings`, those the compile itself gives
  std::vector<std::string> written;  // the paths of the compiled files

  text_style style() const {
    const bool color = options.color == color_mode::always ||
                       (options.color == color_mode::automatic && options.terminal);
    return {!options.no_source, color};
  }

  void add(const diagnostic& d) {
    err << format_diagnostic(d, names, sources, style());
    // The first diagnostic of a run says where to learn more about codes.
    if (!hinted) {
      err << "hint: `" << names.program << " explain " << d.code
          << "` tells what this code means, its common causes and a corrected example\n";
      hinted = true;
    }
    if (d.sev == severity::warning) warned = true;
    errors += d.sev == severity::error;
    warnings += d.sev == severity::warning;
    diagnostics.push_back(diagnostic_json(d, names));
  }
  void fail(const std::string& message) {
    failure = message;
    print_error(err, message);
  }
  int finish(exit_status status, const compilation* c) {
    if (options.json) {
      nlohmann::json doc;
      doc["codice_errore"] = c ? c->fault_code : 0;
      doc["posizione_errore"] = c ? c->fault_position.value_or(0) : 0;
      doc["diagnostics"] = diagnostics;
      doc["files"] = files;
      doc["exit_status"] = as_int(status);
      if (!failure.empty()) doc["error"] = json_text(failure);
      out << json_document(std::move(doc));
    }
    // An error line has said all there is to say.
    if (!options.quiet && failure.empty()) err << tool_name << ": " << summary() << '\n';
    return as_int(status);
  }

  // The closing line for people: what compile wrote, or how many warnings check adds.
  std::string summary() const {
    auto count = [](std::size_t n, const std::string& what) {
      return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    const std::string counts = count(errors, "error") + ", " + count(warnings, "warning");
    if (checking)
      return warnings == 0 ? counts
                           : counts + " (" + std::to_string(warnings - compile_warnings) +
                                 " from check alone)";
    if (written.empty()) return "nothing written: " + counts;
    std::string files;
    for (std::size_t i = 0; i < written.size(); ++i)
      files += std::string(i == 0                    ? ""
                           : i + 1 == written.size() ? " and "
                                                     : ", ") +
               "\"" + written[i] + "\"";
    return "wrote " + files + (errors + warnings > 0 ? " (" + counts + ")" : "");
  }
};

// The route and train names, from the options or from the file names.
std::optional<compile_request> names(report& r, const compile_options& options) {
  compile_request request;
  const std::optional<std::string> route =
      options.route ? options.route : route_from_line_file(options.line_path);
  if (!route) {
    r.fail("cannot tell the route name from \"" + options.line_path +
           "\" (expected <route>_linea.txt): give --route");
    return std::nullopt;
  }
  request.route = *route;
  if (std::optional<std::string> fault = name_fault("route", request.route)) {
    r.fail(*fault);
    return std::nullopt;
  }
  const std::optional<std::string> train =
      options.train ? options.train : train_from_train_file(options.train_path, *route);
  if (!train) {
    r.fail("cannot tell the train name from \"" + options.train_path + "\" (expected " + *route +
           "_<train>-.txt): give --train");
    return std::nullopt;
  }
  request.train = *train;
  if (std::optional<std::string> fault = name_fault("train", request.train)) {
    r.fail(*fault);
    return std::nullopt;
  }
  return request;
}

// The bytes of both data files.
std::optional<data_files> read(report& r, const compile_options& options) {
  try {
    return read_data_pair(options.line_path, options.train_path);
  } catch (const file_error& e) {
    r.fail(e.what());
    return std::nullopt;
  }
}

// A file read as UTF-8 in the code page the compiler reads; false (with the reason reported) when
// it holds a character that code page has not.
bool convert(report& r, const std::string& path, std::string& bytes) {
  if (const std::optional<std::string> reason = convert_from_utf8(path, bytes)) {
    r.fail(*reason);
    return false;
  }
  return true;
}

// Compiles in memory and reports its diagnostics; with `check`, the author checks' warnings too.
compile_result compile(report& r, const compile_request& request, const data_files& files,
                       bool check, bool from_utf8) {
  compile_result result = compile_pair(request, files);
  if (!result.model) {  // the names were checked before, so this is only a guard
    r.fail(result.refusal);
    return result;
  }
  const std::vector<diagnostic>& compiled = result.model->diagnostics;
  r.compile_warnings = static_cast<std::size_t>(
      std::count_if(compiled.begin(), compiled.end(),
                    [](const diagnostic& d) { return d.sev == severity::warning; }));
  const std::vector<diagnostic> all = check ? check_report(*result.model, *files.line_description,
                                                           *files.train_scenario, !from_utf8)
                                            : compiled;
  for (const diagnostic& d : all) r.add(d);
  if (result.outcome_verdict == verdict::nothing_to_write) r.fail(result.refusal);
  if (result.guard) r.add(*result.guard);
  return result;
}

// Writes the compiled files into the output folder, created when missing.
exit_status write(report& r, const compile_result& result) {
  try {
    make_directories(r.options.output_dir);
    for (const std::string& path : write_compiled_files(r.options.output_dir, result.to_write)) {
      r.files.push_back(json_text(path));
      r.written.push_back(path);
    }
  } catch (const file_error& e) {
    r.fail(e.what());
    return exit_status::usage_or_file_error;
  }
  return result.status;
}

int run(const compile_options& options, const check_options* check, std::ostream& out,
        std::ostream& err) {
  report r(options, out, err);
  r.checking = check != nullptr;
  std::optional<compile_request> request = names(r, options);
  if (!request) return r.finish(exit_status::usage_or_file_error, nullptr);
  std::optional<data_files> files = read(r, options);
  if (!files) return r.finish(exit_status::usage_or_file_error, nullptr);
  const bool from_utf8 = options.input_encoding == "utf-8";
  if (from_utf8 && (!convert(r, options.line_path, *files->line_description) ||
                    !convert(r, options.train_path, *files->train_scenario)))
    return r.finish(exit_status::usage_or_file_error, nullptr);
  r.sources = {&*files->line_description, &*files->train_scenario};

  // check always builds the track plan, so that curves take their values as compile does.
  request->with_track_plan = check || !options.no_geometry;
  request->write_despite_fault = options.force;
  request->check_only = check != nullptr;
  const compile_result result = compile(r, *request, *files, check != nullptr, from_utf8);
  const compilation* model = result.model.get();
  if (result.outcome_verdict != verdict::compiled) return r.finish(result.status, model);
  if (check) {
    const bool fails = check->werror && r.warned;
    return r.finish(fails ? exit_status::fault : exit_status::ok, model);
  }
  return r.finish(write(r, result), model);
}

}  // namespace

int run_compile(const compile_options& options, std::ostream& out, std::ostream& err) {
  return run(options, nullptr, out, err);
}

int run_check(const check_options& options, std::ostream& out, std::ostream& err) {
  return run(options.compile, &options, out, err);
}

nlohmann::json compile_failure_document(const std::string& message) {
  nlohmann::json doc;
  doc["codice_errore"] = 0;
  doc["posizione_errore"] = 0;
  doc["diagnostics"] = nlohmann::json::array();
  doc["files"] = nlohmann::json::array();
  doc["exit_status"] = as_int(exit_status::usage_or_file_error);
  doc["error"] = json_text(message);
  return doc;
}

}  // namespace scenario
