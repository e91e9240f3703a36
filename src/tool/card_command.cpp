#include "tool/card_command.h"

#include <cerrno>
#include <cmath>
#include <sstream>

#include "card/card.h"
#include "card/card_text.h"
#include "card/kilometres.h"
#include "compiler/compile.h"
#include "content/documents.h"
#include "platform/files.h"
#include "reader/data_file_names.h"
#include "tool/data_pair.h"
#include "tool/diagnostic_format.h"
#include "tool/text_encoding.h"
#include "tool/tool_error.h"

namespace scenario {

namespace {

int fail(std::ostream& err, const std::string& message,
         exit_status status = exit_status::usage_or_file_error) {
  print_error(err, message);
  return as_int(status);
}

// "h:mm:ss" of seconds after midnight, hours past 24 kept.
std::string clock(double seconds) {
  const auto s = static_cast<long long>(std::floor(seconds));
  std::ostringstream o;
  o << s / 3600 << ':' << (s % 3600 / 60 < 10 ? "0" : "") << s % 3600 / 60 << ':'
    << (s % 60 < 10 ? "0" : "") << s % 60;
  return o.str();
}

// The speed-distance curve, one line per cell start of the run: where, the count, the line speed
// the train may run at, its speed and the scheduled time.
std::string profile_csv(const compilation& c, const card::timetable_card& card, int max_speed) {
  std::ostringstream o;
  o << "position_m,km,line_kmh,speed_kmh,time\n";
  const timetable::running_times& run = card.run.pure;
  const std::vector<card::count_change> changes = card::count_changes(c.voci_generali);
  const std::int64_t last = run.start_m + static_cast<std::int64_t>(run.speed_kmh.size()) - 1;
  for (std::int64_t x = run.start_m; x <= last; x += timetable::cell_length_m) {
    const std::size_t cell = static_cast<std::size_t>(x / timetable::cell_length_m);
    const int line = std::min(c.percorso[cell].velocita_limite * 5, max_speed);
    const double speed = run.speed_kmh[static_cast<std::size_t>(x - run.start_m)];
    o << x << ',' << card::kilometres_text(card::count_at(changes, static_cast<long_t>(x))) << ','
      << line << ',' << std::lround(speed * 10) / 10.0 << ','
      << clock(card.run.passing_s(static_cast<long_t>(x))) << '\n';
  }
  return o.str();
}

// Writes `bytes` to `path`, or to `out` for "-".
void put(const std::string& path, const std::string& bytes, std::ostream& out) {
  if (path == "-") {
    out << bytes;
    return;
  }
  replace_file(path, bytes);
}

}  // namespace

int run_card(const card_options& o, std::ostream& out, std::ostream& err) {
  const std::optional<std::string> route = o.route ? o.route : route_from_line_file(o.line_path);
  if (!route)
    return fail(err, "cannot tell the route name from \"" + o.line_path +
                         "\" (expected <route>_linea.txt): give --route");
  const std::optional<std::string> train =
      o.train ? o.train : train_from_train_file(o.train_path, *route);
  if (!train)
    return fail(err, "cannot tell the train name from \"" + o.train_path + "\" (expected " +
                         *route + "_<train>-.txt): give --train");
  compile_request request{*route, *train, true, false, true};
  if (std::optional<std::string> fault = names_fault(request)) return fail(err, *fault);
  if (o.train_data.rank != 'A' && o.train_data.rank != 'B' && o.train_data.rank != 'C')
    return fail(err, "the rank must be A, B or C");

  data_files files;
  try {
    files = read_data_pair(o.line_path, o.train_path);
  } catch (const file_error& e) {
    return fail(err, e.what());
  }
  if (o.input_encoding == "utf-8") {
    for (auto [path, bytes] : {std::pair{&o.line_path, &*files.line_description},
                               std::pair{&o.train_path, &*files.train_scenario}})
      if (const std::optional<std::string> reason = convert_from_utf8(*path, *bytes))
        return fail(err, *reason);
  }

  const compile_result result = compile_pair(request, files);
  if (!result.model) return fail(err, result.refusal);
  if (result.outcome_verdict != verdict::compiled) {
    const source_names names{o.line_path, o.train_path, std::string(tool_name)};
    const source_texts sources{&*files.line_description, &*files.train_scenario};
    for (const diagnostic& d : result.model->diagnostics)
      err << format_diagnostic(d, names, sources, {});
    if (result.guard) err << format_diagnostic(*result.guard, names, sources, {});
    return fail(err, "no card for data that do not compile", exit_status::fault);
  }

  const card::timetable_card made = card::make_card(*result.model, o.train_data);
  if (made.run.failure)
    return fail(err, "cannot time the run: " + *made.run.failure, exit_status::fault);
  for (const timetable::tight_section& t : made.run.scheduled.too_tight) {
    std::ostringstream w;
    w << tool_name << ": warning: from " << utf8_text(t.from_name) << " to " << utf8_text(t.to_name)
      << " the running time and the stops need " << std::lround(std::ceil(t.short_s))
      << " s more than the timetable leaves; the card runs late there\n";
    err << w.str();
  }

  const std::string path = o.output.value_or(timetable_file_name(*route, *train));
  try {
    put(path, card::card_bytes(made), out);
    if (o.profile)
      put(*o.profile, profile_csv(*result.model, made, o.train_data.max_speed_kmh), out);
  } catch (const file_error& e) {
    return fail(err, e.what());
  }
  if (path != "-" && o.profile != "-") out << path << '\n';
  return as_int(exit_status::ok);
}

}  // namespace scenario
