#include "tool/compile_command.h"

#include <iomanip>
#include <nlohmann/json.hpp>
#include <sstream>

#include "checks/identity.h"
#include "driver/files.h"
#include "driver/pipeline.h"
#include "model/text.h"
#include "output/compiled_files.h"
#include "tool/author_checks.h"
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
  source_texts sources;
  bool hinted = false;
  bool warned = false;

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

// Converts a file read as UTF-8 to the code page the compiler reads; false (with the reason
// reported) when it holds a character that code page has not.
bool to_windows_1252(report& r, const std::string& path, std::string& bytes) {
  std::string converted;
  if (const std::optional<conversion_fault> f = cp1252_from_utf8(bytes, converted)) {
    std::ostringstream reason;
    reason << path << ':' << f->line << ':' << f->column << ": ";
    if (f->code_point == 0) {
      reason << "the bytes here are not UTF-8, though --input-encoding utf-8 was given";
    } else {
      reason << "character U+" << std::hex << std::uppercase << std::setw(4) << std::setfill('0')
             << static_cast<std::uint32_t>(f->code_point)
             << " has no Windows-1252 form, the code page of the simulator; replace it";
    }
    r.fail(reason.str());
    return false;
  }
  bytes = std::move(converted);
  return true;
}

// Compiles in memory; writes the files unless `check` is given, in which case the author
// checks run instead.
int run(const compile_options& options, const check_options* check, std::ostream& out,
        std::ostream& err) {
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
  const bool from_utf8 = options.input_encoding == "utf-8";
  if (from_utf8 && (!to_windows_1252(r, options.line_path, *files.linea) ||
                    !to_windows_1252(r, options.train_path, *files.treno)))
    return r.finish(as_int(exit_status::usage_or_file_error), nullptr);
  r.sources = {&*files.linea, &*files.treno};

  compilation c;
  c.nome_percorso = *route;
  c.nome_treno = *train;
  // check always builds the track plan, so that curves take their values as compile does.
  const bool geometry = check || !options.no_geometry;
  const compile_outcome outcome = memorizza_percorso(c, geometry ? 1 : 0, files);
  if (check) {
    std::vector<diagnostic> all = c.diagnostics;
    for (diagnostic& d : author_warnings(c, *files.linea, *files.treno, !from_utf8))
      all.push_back(std::move(d));
    for (const diagnostic& d : all) r.add(d);
  } else {
    for (const diagnostic& d : c.diagnostics) r.add(d);
  }
  const bool force = !check && options.force;

  if (outcome.reader_code != 0 && !force) return r.finish(as_int(exit_status::fault), &c);
  if (!outcome.cells_sized) {
    r.fail("nothing to write: the reading stopped before the route cells were sized");
    return r.finish(as_int(exit_status::fault), &c);
  }
  if (outcome.guard_code != 0) {
    r.add(guard_diagnostic(c, outcome.guard_code));
    return r.finish(as_int(exit_status::guard_failed), &c);
  }
  if (check) {
    const bool fails = check->werror && r.warned;
    return r.finish(as_int(fails ? exit_status::fault : exit_status::ok), &c);
  }

  try {
    make_directories(options.output_dir);
    for (const output_file& f : compiled_files(c)) {
      const std::string path = join_path(options.output_dir, f.name);
      replace_file(path, f.size, f.produce);
      r.files.push_back(json_text(path));
    }
  } catch (const file_error& e) {
    r.fail(e.what());
    return r.finish(as_int(exit_status::usage_or_file_error), &c);
  }
  return r.finish(outcome.reader_code != 0 ? as_int(exit_status::fault) : as_int(exit_status::ok),
                  &c);
}

}  // namespace

int run_compile(const compile_options& options, std::ostream& out, std::ostream& err) {
  return run(options, nullptr, out, err);
}

int run_check(const check_options& options, std::ostream& out, std::ostream& err) {
  return run(options.compile, &options, out, err);
}

}  // namespace scenario
