#include "tool/compile_command.h"

#include <nlohmann/json.hpp>

#include "driver/files.h"
#include "driver/pipeline.h"
#include "output/compiled_files.h"
#include "tool/diagnostic_format.h"
#include "tool/json_output.h"

namespace scenario {

namespace {

// Collects what the run says, then prints it once in the requested form.
struct report {
  report(const compile_options& o, std::ostream& out_stream, std::ostream& err_stream)
      : options(o),
        names{o.line_path, o.train_path, "scenario"},
        out(out_stream),
        err(err_stream) {}

  compile_options options;
  source_names names;
  std::ostream& out;
  std::ostream& err;
  nlohmann::json files = nlohmann::json::array();
  nlohmann::json diagnostics = nlohmann::json::array();
  std::string failure;  // a usage or file error

  void add(const diagnostic& d) {
    err << format_diagnostic(d, names) << '\n';
    diagnostics.push_back(diagnostic_json(d, names));
  }
  void fail(const std::string& message) {
    failure = message;
    err << names.program << ": error: " << message << '\n';
  }
  int finish(int status, const compilation* c) {
    if (options.json) {
      nlohmann::json doc;
      doc["codice_errore"] = c ? c->codice_errore : 0;
      doc["posizione_errore"] = c ? c->posizione_errore : 0;
      doc["diagnostics"] = diagnostics;
      doc["files"] = files;
      doc["exit_status"] = status;
      if (!failure.empty()) doc["error"] = json_text(failure);
      out << json_document(doc);
    }
    return status;
  }
};

}  // namespace

int run_compile(const compile_options& options, std::ostream& out, std::ostream& err) {
  report r(options, out, err);

  std::optional<std::string> route =
      options.route ? options.route : route_from_line_file(options.line_path);
  if (!route) {
    r.fail("cannot tell the route name from \"" + options.line_path +
           "\" (expected <route>_linea.txt): give --route");
    return r.finish(as_int(exit_status::usage_or_file_error), nullptr);
  }
  if (std::optional<std::string> fault = name_fault("route", *route)) {
    r.fail(*fault);
    return r.finish(as_int(exit_status::usage_or_file_error), nullptr);
  }
  std::optional<std::string> train =
      options.train ? options.train : train_from_train_file(options.train_path, *route);
  if (!train) {
    r.fail("cannot tell the train name from \"" + options.train_path + "\" (expected " + *route +
           "_<train>-.txt): give --train");
    return r.finish(as_int(exit_status::usage_or_file_error), nullptr);
  }
  if (std::optional<std::string> fault = name_fault("train", *train)) {
    r.fail(*fault);
    return r.finish(as_int(exit_status::usage_or_file_error), nullptr);
  }

  data_files files;
  try {
    files.linea = read_whole_file(options.line_path);
    if (!files.linea) throw file_error(options.line_path, "open", ENOENT);
    files.treno = read_whole_file(options.train_path);
    if (!files.treno) throw file_error(options.train_path, "open", ENOENT);
  } catch (const file_error& e) {
    r.fail(e.what());
    return r.finish(as_int(exit_status::usage_or_file_error), nullptr);
  }

  compilation c;
  c.nome_percorso = *route;
  c.nome_treno = *train;
  const compile_outcome outcome = memorizza_percorso(c, options.no_geometry ? 0 : 1, files);
  for (const diagnostic& d : c.diagnostics) r.add(d);

  if (outcome.reader_code != 0 && !options.force) return r.finish(as_int(exit_status::fault), &c);
  if (!outcome.cells_sized) {
    r.fail("nothing to write: the reading stopped before the route cells were sized");
    return r.finish(as_int(exit_status::fault), &c);
  }
  if (outcome.guard_code != 0) {
    r.add({outcome.guard_code, std::nullopt, severity::error, source_file::none, 0,
           describe_code(outcome.guard_code)});
    return r.finish(as_int(exit_status::guard_failed), &c);
  }

  try {
    make_directories(options.output_dir);
    for (const output_file& f : compiled_files(c)) {
      const std::string path = join_path(options.output_dir, f.name);
      replace_file(path, f.produce);
      r.files.push_back(json_text(path));
    }
  } catch (const file_error& e) {
    r.fail(e.what());
    return r.finish(as_int(exit_status::usage_or_file_error), &c);
  }
  return r.finish(outcome.reader_code != 0 ? as_int(exit_status::fault) : as_int(exit_status::ok),
                  &c);
}

}  // namespace scenario
