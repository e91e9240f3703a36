#include "tool/plot_command.h"

#include "card/running.h"
#include "compiler/exit_status.h"
#include "platform/files.h"
#include "tool/compiled_view.h"
#include "tool/plot_svg.h"
#include "tool/scenario_diff.h"
#include "tool/text_encoding.h"
#include "tool/tool_error.h"

namespace scenario {

namespace {

int plot(const plot_options& o, std::ostream& out, std::ostream& err) {
  auto fail = [&](const std::string& message) {
    print_error(err, message);
    return as_int(exit_status::usage_or_file_error);
  };
  const loaded<std::vector<cella>> cells = load_route_cells(o.cell_path);
  if (!cells) return fail(cells.message);

  plot_input in;
  in.cells = &*cells;

  // A file named on the command line must be sound; one found beside may be missing.
  loaded<tabella_voci> voci;
  const std::string scenario_path = o.scenario_path.value_or(scenario_beside(o.cell_path));
  if (o.scenario_path || file_exists(scenario_path)) {
    voci = load_scenario(scenario_path);
    if (!voci) return fail(voci.message);
    in.voci = &*voci;
  } else {
    in.notes.push_back("No scenario file beside (" + utf8_text(scenario_path) +
                       "): station names, times and board texts are not shown.");
  }

  loaded<track_points> plan;
  const std::optional<std::string> geometry_path =
      o.geometry_path ? o.geometry_path : geometry_beside(o.cell_path, in.voci);
  if (geometry_path) {
    plan = load_geometry(*geometry_path);
    if (!plan) return fail(plan.message);
    in.plan = &*plan;
  } else {
    in.notes.push_back(
        "No line geometry file (compiled with --no-geometry?): the profile alone is drawn.");
  }

  if (o.running_speed) {
    if (!voci) {
      in.notes.push_back("No scenario file: the speed of the run is not drawn.");
    } else {
      const std::vector<double> k =
          plan ? card::cell_curvatures(*plan, cells->size()) : std::vector<double>();
      const card::card_run run = card::run_of(*cells, *voci, k, card::train_data{});
      if (run.failure) {
        in.notes.push_back("The run cannot be timed: " + utf8_text(*run.failure) + ".");
      } else {
        in.running_start_m = static_cast<long_t>(run.pure.start_m);
        for (std::size_t m = 0; m < run.pure.speed_kmh.size();
             m += static_cast<std::size_t>(timetable::cell_length_m))
          in.running_speed_kmh.push_back(run.pure.speed_kmh[m]);
      }
    }
  }

  std::string route, train;
  if (voci) {
    route = utf8_text((*voci)[voce::percorso].nome);
    train = utf8_text((*voci)[voce::treno].nome);
  }
  in.title =
      route.empty() ? utf8_text(file_name_of(o.cell_path)) : "Route " + route + ", train " + train;
  const long_t length = voci ? (*voci)[voce::treno_e_percorso].fine : 0;
  if (length > 0) {
    int stations = 0;
    for (int k = voce::prima_stazione; k < voce::primo_cartello; ++k)
      stations += is_station_record((*voci)[static_cast<std::size_t>(k)]);
    in.title += "  \xC2\xB7  " + std::to_string(length / 1000) + "." +
                std::to_string(length % 1000 / 100) + " km, " + std::to_string(stations) +
                " stations";
  }

  // The compared scenario's files are found beside its cell file as the first one's are.
  loaded<std::vector<cella>> other_cells;
  loaded<tabella_voci> other_voci;
  loaded<track_points> other_plan;
  plot_comparison comparison;
  if (o.compare) {
    other_cells = load_route_cells(*o.compare);
    if (!other_cells) return fail(other_cells.message);
    const std::string other_scenario = scenario_beside(*o.compare);
    if (file_exists(other_scenario)) {
      other_voci = load_scenario(other_scenario);
      if (!other_voci) return fail(other_voci.message);
    }
    if (const std::optional<std::string> g =
            geometry_beside(*o.compare, other_voci ? &*other_voci : nullptr)) {
      other_plan = load_geometry(*g);
      if (!other_plan) return fail(other_plan.message);
    }
    // Without a scenario file on one side, both are compared without their records.
    static const tabella_voci no_records{};
    const bool records = voci && other_voci;
    comparison.cells = &*other_cells;
    comparison.plan = other_plan ? &*other_plan : nullptr;
    comparison.changes =
        compare_scenarios({&*cells, records ? &*voci : &no_records, in.plan},
                          {&*other_cells, records ? &*other_voci : &no_records, comparison.plan});
    in.compare = &comparison;
    const std::size_t n = comparison.changes.size();
    in.notes.push_back("Compared with " + utf8_text(*o.compare) + ": " + std::to_string(n) +
                       (n == 1 ? " change" : " changes") +
                       (n == 0 ? "." : ", shaded; its track and speed limit dashed."));
    if (!records)
      in.notes.push_back("A scenario file is missing: stations and general records not compared.");
    // Changes without a place along the route are told here.
    for (const change& c : comparison.changes)
      if (!c.at_m)
        in.notes.push_back(group_title(c.group) + ": " + kind_word(c.kind) + " " + change_words(c));
  }

  if (o.output == standard_input_name) {
    out << render_plot(in);
    return as_int(exit_status::ok);
  }
  make_directories(parent_folder(o.output));
  replace_file(o.output, render_plot(in));
  out << o.output << '\n';
  return as_int(exit_status::ok);
}

}  // namespace

int run_plot(const plot_options& o, std::ostream& out, std::ostream& err) {
  try {
    return plot(o, out, err);
  } catch (const file_error& e) {
    print_error(err, e.what());
    return as_int(exit_status::usage_or_file_error);
  }
}

}  // namespace scenario
