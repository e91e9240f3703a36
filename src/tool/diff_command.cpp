#include "tool/diff_command.h"

#include <cerrno>
#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>

#include "compiler/compile.h"
#include "compiler/exit_status.h"
#include "output/file_names.h"
#include "platform/files.h"
#include "reader/data_file_names.h"
#include "tool/compiled_view.h"
#include "tool/data_pair.h"
#include "tool/diagnostic_format.h"
#include "tool/json_output.h"
#include "tool/scenario_diff.h"
#include "tool/tool_error.h"

namespace scenario {

namespace {

using json = nlohmann::json;

// What stops the comparison: a usage error or a file that cannot be read, decoded or compiled.
struct trouble {
  std::string message;
};

// One scenario as the command line gives it: a compiled file, or a pair of data files.
struct given_scenario {
  std::string compiled;  // the route cell file, empty for a pair
  std::string line, train;
};

std::vector<given_scenario> scenarios_given(const std::vector<std::string>& words) {
  std::vector<given_scenario> given;
  for (std::size_t i = 0; i < words.size();) {
    const std::optional<compiled_kind> kind = kind_from_name(words[i]);
    if (kind == compiled_kind::geometry)
      throw trouble{"\"" + words[i] +
                    "\" is a line geometry file: give the route cell file (.dat) of the scenario, "
                    "and its line geometry is found beside it"};
    if (kind) {
      std::string cells = words[i++];
      // A scenario file stands for the route cell file beside it.
      if (kind == compiled_kind::scenario) cells = with_ending(cells, route_cell_ending);
      given.push_back({cells, {}, {}});
      continue;
    }
    if (i + 1 == words.size())
      throw trouble{"\"" + words[i] +
                    "\" is no compiled file (.dat, .sim), so it starts a pair LINE TRAIN, but no "
                    "train scenario file follows it"};
    given.push_back({{}, words[i], words[i + 1]});
    i += 2;
  }
  if (given.size() != 2)
    throw trouble{
        "diff compares two scenarios, each a route cell file (.dat) or a pair LINE "
        "TRAIN; the arguments give " +
        std::to_string(given.size())};
  return given;
}

// One side of the comparison, read back or compiled in memory.
struct side {
  std::vector<cella> cells;
  tabella_voci voci{};
  std::optional<track_points> plan;
  json source;  // where it came from, for the JSON document

  scenario_view view() const { return {&cells, &voci, plan ? &*plan : nullptr}; }
};

side read_compiled(const std::string& cell_path) {
  side s;
  loaded<std::vector<cella>> cells = load_route_cells(cell_path);
  if (!cells) throw trouble{cells.message};
  const std::string scenario_path = scenario_beside(cell_path);
  loaded<tabella_voci> voci = load_scenario(scenario_path);
  if (!voci) throw trouble{voci.message};
  s.cells = std::move(*cells.value);
  s.voci = *voci;
  const std::optional<std::string> geometry_path = geometry_beside(cell_path, &s.voci);
  if (geometry_path) {
    loaded<track_points> plan = load_geometry(*geometry_path);
    if (!plan) throw trouble{plan.message};
    s.plan = std::move(plan.value);
  }
  s.source = {{"route_cells", json_text(cell_path)},
              {"scenario", json_text(scenario_path)},
              {"geometry", geometry_path ? json_text(*geometry_path) : json(nullptr)}};
  return s;
}

// Compiled as `check` compiles, with the track plan; a pair that would not compile is trouble,
// and its errors are shown first.
side compile_source(const given_scenario& g, std::ostream& err) {
  const std::optional<std::string> route = route_from_line_file(g.line);
  if (!route)
    throw trouble{"cannot tell the route name from \"" + g.line +
                  "\" (expected <route>_linea.txt)"};
  const std::optional<std::string> train = train_from_train_file(g.train, *route);
  if (!train)
    throw trouble{"cannot tell the train name from \"" + g.train + "\" (expected " + *route +
                  "_<train>-.txt)"};
  compile_request request;
  request.route = *route;
  request.train = *train;
  request.check_only = true;
  if (std::optional<std::string> fault = names_fault(request)) throw trouble{*fault};
  data_files files;
  try {
    files = read_data_pair(g.line, g.train);
  } catch (const file_error& e) {
    throw trouble{e.what()};
  }
  compile_result result = compile_pair(request, files);
  if (!result.model) throw trouble{result.refusal};
  if (result.outcome_verdict != verdict::compiled) {
    const source_names names{g.line, g.train, std::string(tool_name)};
    for (const diagnostic& d : result.model->diagnostics)
      if (d.sev == severity::error) err << format_diagnostic(d, names) << '\n';
    if (result.guard) err << format_diagnostic(*result.guard, names) << '\n';
    throw trouble{result.outcome_verdict == verdict::nothing_to_write
                      ? result.refusal
                      : "\"" + g.line + "\" and \"" + g.train +
                            "\" do not compile: only scenarios that compile are compared"};
  }
  side s;
  compilation& c = *result.model;
  s.cells = std::move(c.percorso);
  s.voci = c.voci_generali;
  if (!c.tracciato.empty()) s.plan = all_points(c.tracciato);
  s.source = {{"line_description", json_text(g.line)}, {"train_scenario", json_text(g.train)}};
  return s;
}

std::string json_key(change_group g) {
  std::string key = group_title(g);
  for (char& ch : key)
    if (ch == ' ') ch = '_';
  return key;
}

json value_json(const diff_value& v) {
  if (const long long* n = std::get_if<long long>(&v)) return *n;
  if (const double* d = std::get_if<double>(&v)) return std::round(*d * 100) / 100;
  if (const std::string* s = std::get_if<std::string>(&v)) return json_text(*s);
  return nullptr;
}

json change_json(const change& c) {
  json j;
  j["group"] = json_key(c.group);
  j["change"] = kind_word(c.kind);
  j["at_m"] = c.at_m ? json(*c.at_m) : json(nullptr);
  if (c.to_m) j["to_m"] = *c.to_m;
  if (c.from_m) j["from_m"] = *c.from_m;
  if (c.cell) j["cell"] = *c.cell;
  if (c.from_cell) j["from_cell"] = *c.from_cell;
  if (c.record) j["record"] = *c.record;
  if (!c.name.empty()) j["name"] = json_text(c.name);
  if (!c.object.empty()) j["object"] = json_text(c.object);
  json fields = json::array();
  for (const field_change& f : c.fields) {
    json field = {{"field", f.field.empty() ? json(nullptr) : json(f.field)},
                  {"old", value_json(f.before)},
                  {"new", value_json(f.after)}};
    if (!f.unit.empty()) field["unit"] = f.unit;
    fields.push_back(std::move(field));
  }
  j["fields"] = std::move(fields);
  if (c.distance_m) {
    j["largest_distance_m"] = value_json(*c.distance_m);
    j["largest_at_m"] = c.distance_at_m.value_or(0);
  }
  return j;
}

struct group_count {
  change_group group;
  int by_kind[4] = {0, 0, 0, 0};  // added, removed, moved, changed
};

std::vector<group_count> counts_of(const std::vector<change>& changes) {
  std::vector<group_count> counts;
  for (const change& c : changes) {
    if (counts.empty() || counts.back().group != c.group) counts.push_back({c.group});
    ++counts.back().by_kind[static_cast<int>(c.kind)];
  }
  return counts;
}

constexpr change_kind kinds[] = {change_kind::added, change_kind::removed, change_kind::moved,
                                 change_kind::changed};

void print_text(std::ostream& out, const std::vector<change>& changes) {
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const change& c = changes[i];
    if (i == 0 || changes[i - 1].group != c.group) out << group_title(c.group) << ":\n";
    std::string kind = kind_word(c.kind);
    kind.resize(9, ' ');
    out << "  " << kind << change_words(c) << '\n';
  }
}

void print_stat(std::ostream& out, const std::vector<change>& changes) {
  for (const group_count& g : counts_of(changes)) {
    out << group_title(g.group) << ":";
    const char* separator = " ";
    for (change_kind k : kinds) {
      if (const int n = g.by_kind[static_cast<int>(k)]) {
        out << separator << n << ' ' << kind_word(k);
        separator = ", ";
      }
    }
    out << '\n';
  }
  out << changes.size() << (changes.size() == 1 ? " change" : " changes") << '\n';
}

json stat_json(const std::vector<change>& changes) {
  json groups = json::array();
  for (const group_count& g : counts_of(changes)) {
    json entry = {{"group", json_key(g.group)}};
    for (change_kind k : kinds) entry[kind_word(k)] = g.by_kind[static_cast<int>(k)];
    groups.push_back(std::move(entry));
  }
  return groups;
}

}  // namespace

int run_diff(const diff_options& o, std::ostream& out, std::ostream& err) {
  std::vector<side> sides;
  try {
    for (const given_scenario& g : scenarios_given(o.inputs))
      sides.push_back(g.compiled.empty() ? compile_source(g, err) : read_compiled(g.compiled));
  } catch (const trouble& t) {
    print_error(err, t.message);
    const exit_status status = exit_status::usage_or_file_error;
    if (o.json)
      out << json_document({{"error", json_text(t.message)}, {"exit_status", as_int(status)}});
    return as_int(status);
  }

  const std::vector<change> changes = compare_scenarios(sides[0].view(), sides[1].view());
  const int status = changes.empty() ? 0 : 1;
  if (o.json) {
    json doc;
    doc["a"] = sides[0].source;
    doc["b"] = sides[1].source;
    doc["identical"] = changes.empty();
    if (!o.stat) {
      json list = json::array();
      for (const change& c : changes) list.push_back(change_json(c));
      doc["changes"] = std::move(list);
    }
    doc["stat"] = stat_json(changes);
    doc["total"] = changes.size();
    doc["exit_status"] = status;
    out << json_document(doc);
  } else if (!changes.empty()) {
    if (o.stat)
      print_stat(out, changes);
    else
      print_text(out, changes);
  }
  return status;
}

}  // namespace scenario
