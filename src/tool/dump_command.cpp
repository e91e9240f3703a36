#include "tool/dump_command.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <iomanip>
#include <limits>
#include <nlohmann/json.hpp>

#include "compiler/exit_status.h"
#include "tool/compiled_view.h"
#include "tool/json_output.h"
#include "tool/text_encoding.h"
#include "tool/tool_error.h"

namespace scenario {

namespace {

using json = nlohmann::json;

void print_json(std::ostream& out, json doc) {
  out << json_document(std::move(doc));
}

// "PATH: ", or nothing for version control, which hands over the same bytes under a different
// temporary name each time.
std::string heading(const dump_options& o) {
  return o.textconv ? std::string() : utf8_text(shown_name(o.path)) + ": ";
}

// Reports a file that cannot be dumped and returns the exit status.
using failure = std::function<int(const std::string& message)>;

std::string metres(long long m) {
  return std::to_string(m) + " m";
}

// ---- route cells

struct line_property {
  const char* title;
  const char* key;
  byte_t cella::*field;
  int (*shown)(byte_t);
};

int as_is(byte_t v) {
  return v;
}

const line_property line_properties[] = {
    {"speed limit, km/h", "speed_limit_kmh", &cella::velocita_limite, speed_kmh},
    {"gradient, per mille", "gradient_per_mille", &cella::pendenza, gradient_per_mille},
    {"adhesion", "adhesion", &cella::aderenza, as_is},
    {"scenery (montagna)", "scenery", &cella::montagna, as_is},
};

int dump_cells(const dump_options& o, std::ostream& out, const failure& fail) {
  const loaded<std::vector<cella>> cells = load_route_cells(o.path);
  if (!cells) return fail(cells.message);
  // Names of stations and boards come from the scenario file beside, when there is a sound one.
  const bool from_input = o.path == standard_input_name;
  const loaded<tabella_voci> voci =
      o.textconv || from_input ? loaded<tabella_voci>{} : load_scenario(scenario_beside(o.path));
  const tabella_voci* names = voci ? &*voci : nullptr;

  const std::vector<cella>& c = *cells;
  const std::size_t last = c.size() - 1;
  std::vector<std::size_t> objects;
  for (std::size_t i = 0; i < c.size(); ++i)
    if (c[i].tipo != tipo_cella::nulla) objects.push_back(i);

  if (o.json) {
    json doc;
    doc["file"] = utf8_text(o.path);
    doc["kind"] = "cells";
    doc["cells"] = c.size();
    doc["length_m"] = cell_position(c.size());
    if (c.size() > 1) doc["identity"] = {{"valore1", c[1].valore1}, {"code", c[1].valore2}};
    doc["names_from"] = voci ? json(utf8_text(scenario_beside(o.path))) : json(nullptr);
    json list = json::array();
    for (std::size_t i : objects) list.push_back(object_json(i, c[i], names));
    doc["objects"] = std::move(list);
    for (const line_property& p : line_properties) {
      json runs = json::array();
      for (const value_run& r : runs_of(c, p.field))
        runs.push_back({{"first_cell", r.first},
                        {"last_cell", r.last},
                        {"from_m", cell_position(r.first)},
                        {"to_m", cell_position(r.last + 1)},
                        {"value", p.shown(static_cast<byte_t>(r.value))}});
      doc["runs"][p.key] = std::move(runs);
    }
    if (o.all) {
      json all = json::array();
      for (std::size_t i = 0; i < c.size(); ++i) all.push_back(cell_json(i, c[i]));
      doc["all_cells"] = std::move(all);
    }
    print_json(out, std::move(doc));
    return as_int(exit_status::ok);
  }

  out << heading(o) << "route cells\n";
  out << "  " << c.size() << " cells (0 to " << last << "), 0 to "
      << metres(cell_position(c.size())) << '\n'
      << "  positions are cell starts (index x 50 m): a signal, board or restriction board "
         "written\n"
         "  at p stands in the cell that starts at p + 50, a code cut point in the one at p\n";
  if (c.size() > 1)
    out << "  identity: cell 1 valore1 " << c[1].valore1 << ", code " << c[1].valore2 << '\n';
  if (!voci && !o.textconv)
    out << (from_input ? "  (read from standard input: names not shown)\n"
                       : "  (no sound scenario file beside: names not shown)\n");
  out << "\nobjects: " << objects.size() << '\n';
  for (std::size_t i : objects)
    out << "  cell " << std::setw(6) << i << std::setw(10) << cell_position(i) << " m  "
        << describe_object(c[i], names) << '\n';
  for (const line_property& p : line_properties) {
    out << '\n' << p.title << ":\n";
    for (const value_run& r : runs_of(c, p.field))
      out << "  cells " << std::setw(6) << r.first << " to " << std::setw(6) << r.last
          << std::setw(10) << cell_position(r.first) << " to " << std::setw(8)
          << cell_position(r.last + 1) << " m  " << p.shown(static_cast<byte_t>(r.value)) << '\n';
  }
  if (o.all) {
    out << "\nevery cell: index tipo valore1..4 tempo preavviso montagna velocita_limite pendenza "
           "aderenza\n";
    for (std::size_t i = 0; i < c.size(); ++i) {
      const cella& x = c[i];
      out << "  " << std::setw(6) << i << std::setw(4) << int(x.tipo) << std::setw(7) << x.valore1
          << std::setw(7) << x.valore2 << std::setw(7) << x.valore3 << std::setw(7) << x.valore4
          << std::setw(5) << int(x.tempo) << std::setw(4) << int(x.preavviso) << std::setw(4)
          << int(x.montagna) << std::setw(4) << int(x.velocita_limite) << std::setw(4)
          << int(x.pendenza) << std::setw(4) << int(x.aderenza) << '\n';
    }
  }
  return as_int(exit_status::ok);
}

// ---- scenario file

std::string role_of(int k, const voce_generale& v) {
  if (k == 0) return "unused";
  if (k <= voce::primo_cartello) return is_station_record(v) ? "station" : "text board";
  if (k <= voce::progressiva_uno) return "progressive";
  if (k == voce::treno_e_percorso) return "train and route data";
  if (k == voce::percorso) return "route";
  return "train";
}

bool is_empty_record(const voce_generale& v) {
  return v == voce_generale{};
}

// What a station's kind does to its area and to the cells (P its position, L its length).
std::string kind_effect(int kind) {
  if (kind >= 25) return "area centred on P, no end cell, no approach marks";
  if (kind == 5 || kind == 6) return "area P-L to P+150, no approach marks";
  if (kind == 7 || kind == 8) return "area P-L to P+L";
  return "area centred on P";
}

// The length L written on the station's line, from the start of the area its kind gave.
long long station_length(const voce_generale& v) {
  const long long before = static_cast<long long>(v.posizione) - v.inizio;
  return v.tipo >= 5 && v.tipo <= 8 ? before : 2 * before;
}

// Values 4 to 13 of the station's line, in the order written there.
std::vector<long long> station_line_values(const voce_generale& v) {
  return {v.ottetto0, v.ottetto4, v.ottetto3, v.intero1, v.intero2,
          v.ottetto1, v.intero3,  v.intero4,  v.intero5, v.ottetto2};
}

// A progressive's value as its line wrote it: the ordering adds 100 to it when its flag is 1.
long long progressive_line_value(const voce_generale& v) {
  return v.posizione == 1 ? static_cast<long long>(v.fine) - 100 : v.fine;
}

json named_fields(int k, const voce_generale& v, const std::string& role) {
  if (role == "station")
    return {{"position_m", v.posizione},
            {"kind", v.tipo},
            {"kind_gives", kind_effect(v.tipo)},
            {"length_m", station_length(v)},
            {"values_4_to_13", station_line_values(v)},
            {"time", clock_text(v.orario)},
            {"name", utf8_text(v.nome)},
            {"area_from_m", v.inizio},
            {"area_to_m", v.fine}};
  if (role == "progressive")
    return {{"position_m", v.inizio},
            {"value", v.fine},
            {"value_on_its_line", progressive_line_value(v)},
            {"flag", v.posizione}};
  if (role == "train and route data")
    return {
        {"braked_mass_percent", v.inizio}, {"route_length_m", v.fine}, {"coaches", v.posizione}};
  if (k == voce::percorso)
    return {{"name", utf8_text(v.nome)},    {"sfondo_uno", v.inizio},
            {"sfondo_due", v.posizione},    {"sfondo_tre", v.fine},
            {"identity_marker", v.intero1}, {"identity_code", v.orario}};
  if (k == voce::treno)
    return {{"name", utf8_text(v.nome)},
            {"signal_repetition_from_m", v.inizio},
            {"signal_repetition_to_m", v.fine},
            {"codes", v.posizione},
            {"sand", v.intero1},
            {"clock", clock_text(v.intero3 * 3600 + v.intero4 * 60 + v.intero5)}};
  if (role == "text board") return {{"text", utf8_text(v.nome)}};
  return json::object();
}

json record_json(int k, const voce_generale& v) {
  json j = {{"record", k},
            {"role", role_of(k, v)},
            {"tipo", v.tipo},
            {"inizio", v.inizio},
            {"fine", v.fine},
            {"posizione", v.posizione},
            {"ottetto0", v.ottetto0},
            {"nome", utf8_text(v.nome)},
            {"intero1", v.intero1},
            {"intero2", v.intero2},
            {"intero3", v.intero3},
            {"intero4", v.intero4},
            {"intero5", v.intero5},
            {"ottetto1", v.ottetto1},
            {"ottetto2", v.ottetto2},
            {"ottetto3", v.ottetto3},
            {"ottetto4", v.ottetto4},
            {"orario", v.orario}};
  const std::string role = j["role"];
  if (role == "station") j["time"] = clock_text(v.orario);
  if (k == voce::treno) j["clock"] = clock_text(v.intero3 * 3600 + v.intero4 * 60 + v.intero5);
  if (!is_empty_record(v)) j["fields"] = named_fields(k, v, role);
  return j;
}

std::string record_words(int k, const voce_generale& v) {
  const std::string role = role_of(k, v);
  const std::string name = "\"" + utf8_text(v.nome) + "\"";
  auto n = [](long long x) { return std::to_string(x); };
  if (role == "station") {
    std::string values;
    for (long long x : station_line_values(v)) values += (values.empty() ? "" : " ") + n(x);
    return "station " + name + ": position " + metres(v.posizione) + ", kind " + n(v.tipo) + " (" +
           kind_effect(v.tipo) + "), length " + metres(station_length(v)) +
           ", values 4 to 13: " + values + ", time " + clock_text(v.orario) + "; area " +
           n(v.inizio) + " to " + metres(v.fine);
  }
  if (role == "text board") return "text board " + name;
  if (role == "progressive") {
    std::string value = n(v.fine);
    if (progressive_line_value(v) != v.fine)
      value += " (" + n(progressive_line_value(v)) + " on its line: flag 1 adds 100)";
    return "progressive: position " + metres(v.inizio) + ", value " + value + ", flag " +
           n(v.posizione);
  }
  if (role == "train and route data")
    return "train and route data: braked mass " + n(v.inizio) + " %, route length " +
           metres(v.fine) + ", coaches " + n(v.posizione);
  if (role == "route")
    return "route " + name + ": sfondo uno " + n(v.inizio) + ", due " + n(v.posizione) + ", tre " +
           n(v.fine) + ", identity marker " + n(v.intero1) + ", identity code " + n(v.orario);
  if (role == "train")
    return "train " + name + ": signal repetition " + n(v.inizio) + " to " + metres(v.fine) + ", " +
           n(v.posizione) + " codes, sand " + n(v.intero1) + ", clock " +
           clock_text(v.intero3 * 3600 + v.intero4 * 60 + v.intero5);
  return role;
}

// How the records' words relate to the lines of the data files, where they do not show it.
constexpr const char* scenario_legend =
    "  a station shows its \"stazione\" line (position, kind, length, values 4 to 13, time), then\n"
    "  the area its kind gives; the 5th value is stored as 0 below 600 m, the 6th for kinds 5 to "
    "8,\n"
    "  and both for the first station. The progressives stand in records 81 to 83 by position,\n"
    "  the farthest first, whichever key (\"uno\", \"due\", \"tre\") gave them.\n";

int dump_scenario(const dump_options& o, std::ostream& out, const failure& fail) {
  const loaded<tabella_voci> voci = load_scenario(o.path);
  if (!voci) return fail(voci.message);
  if (o.json) {
    json doc;
    doc["file"] = utf8_text(o.path);
    doc["kind"] = "scenario";
    json records = json::array();
    for (int k = 0; k < general_record_count; ++k) {
      const voce_generale& v = (*voci)[static_cast<std::size_t>(k)];
      if (o.all || !is_empty_record(v)) records.push_back(record_json(k, v));
    }
    doc["records"] = std::move(records);
    print_json(out, std::move(doc));
    return as_int(exit_status::ok);
  }
  out << heading(o) << "scenario file, 87 records";
  if (!o.all) out << " (empty ones left out)";
  out << '\n' << scenario_legend;
  for (int k = 0; k < general_record_count; ++k) {
    const voce_generale& v = (*voci)[static_cast<std::size_t>(k)];
    if (o.all || !is_empty_record(v))
      out << "  record " << std::setw(2) << k << "  "
          << (is_empty_record(v) ? std::string("empty") : record_words(k, v)) << '\n';
  }
  return as_int(exit_status::ok);
}

// ---- line geometry

struct geometry_summary {
  std::size_t computed = 0;  // both coordinates Doubles
  std::size_t fixed = 0;     // points 0 and 1 as the format fixes them: Integers (0, 0), (0, 1)
  std::size_t empty = 0;     // both coordinates empty
  std::size_t other = 0;     // Integers or Longs elsewhere, or one coordinate missing
  double min_x = 0, max_x = 0, min_y = 0, max_y = 0;
  double length = 0;  // along consecutive points that both have coordinates
  long last_with_value = -1;
};

bool has_point(const track_points& t, std::size_t m) {
  return t.get(m, 0).kind != value_kind::empty && t.get(m, 1).kind != value_kind::empty;
}

geometry_summary summarize(const track_points& t) {
  geometry_summary s;
  bool first = true;
  for (std::size_t m = 0; m < t.points(); ++m) {
    const tagged_value x = t.get(m, 0), y = t.get(m, 1);
    if (x.kind == value_kind::double_ && y.kind == value_kind::double_)
      ++s.computed;
    else if (m < 2 && x == tagged_value::integer(0) &&
             y == tagged_value::integer(static_cast<std::int16_t>(m)))
      ++s.fixed;
    else if (x.kind == value_kind::empty && y.kind == value_kind::empty)
      ++s.empty;
    else
      ++s.other;
    if (!has_point(t, m)) continue;
    s.last_with_value = static_cast<long>(m);
    if (first) {
      s.min_x = s.max_x = x.value;
      s.min_y = s.max_y = y.value;
      first = false;
    }
    s.min_x = std::min(s.min_x, x.value);
    s.max_x = std::max(s.max_x, x.value);
    s.min_y = std::min(s.min_y, y.value);
    s.max_y = std::max(s.max_y, y.value);
    if (m > 0 && has_point(t, m - 1))
      s.length += std::hypot(x.value - t.get(m - 1, 0).value, y.value - t.get(m - 1, 1).value);
  }
  return s;
}

std::vector<std::size_t> sample_points(const track_points& t, long step, long last_with_value) {
  std::vector<std::size_t> at;
  for (std::size_t m = 0; m < t.points(); m += static_cast<std::size_t>(step)) at.push_back(m);
  if (last_with_value >= 0 && at.back() != static_cast<std::size_t>(last_with_value))
    at.push_back(static_cast<std::size_t>(last_with_value));
  return at;
}

json coordinate_json(const tagged_value& v) {
  return v.kind == value_kind::empty ? json(nullptr) : json(v.value);
}

std::string coordinate_text(const tagged_value& v) {
  if (v.kind == value_kind::empty) return "-";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", v.value);
  return buf;
}

int dump_geometry(const dump_options& o, std::ostream& out, const failure& fail) {
  const loaded<track_points> t = load_geometry(o.path);
  if (!t) return fail(t.message);
  const geometry_summary s = summarize(*t);
  const long step = o.all ? 1 : o.step;
  const std::vector<std::size_t> at = sample_points(*t, step, s.last_with_value);
  if (o.json) {
    json doc;
    doc["file"] = utf8_text(o.path);
    doc["kind"] = "geometry";
    doc["points"] = t->points();
    doc["computed_points"] = s.computed;
    doc["fixed_start_points"] = s.fixed;
    doc["empty_points"] = s.empty;
    doc["other_points"] = s.other;
    doc["last_point_with_value"] = s.last_with_value;
    doc["bounding_box"] = {
        {"min_x", s.min_x}, {"max_x", s.max_x}, {"min_y", s.min_y}, {"max_y", s.max_y}};
    doc["length_m"] = s.length;
    doc["step_m"] = step;
    json list = json::array();
    for (std::size_t m : at)
      list.push_back(
          {{"m", m}, {"x", coordinate_json(t->get(m, 0))}, {"y", coordinate_json(t->get(m, 1))}});
    doc["samples"] = std::move(list);
    print_json(out, std::move(doc));
    return as_int(exit_status::ok);
  }
  char box[256];
  std::snprintf(box, sizeof box, "x %.1f to %.1f m, y %.1f to %.1f m", s.min_x, s.max_x, s.min_y,
                s.max_y);
  char length[64];
  std::snprintf(length, sizeof length, "%.1f m", s.length);
  out << heading(o) << "line geometry\n"
      << "  " << t->points() << " points (0 to " << t->last_index() << "): " << s.fixed
      << " fixed start points (the Integers (0, 0) and (0, 1)), " << s.computed << " computed, "
      << s.empty << " empty";
  if (s.other > 0) out << ", " << s.other << " other (an Integer or Long, or one coordinate alone)";
  out << '\n'
      << "  last point with a value: " << s.last_with_value << '\n'
      << "  bounding box: " << box << '\n'
      << "  length along the points: " << length << '\n'
      << "\n  point every " << step << " m:\n";
  for (std::size_t m : at)
    out << "  " << std::setw(9) << m << std::setw(16) << coordinate_text(t->get(m, 0))
        << std::setw(16) << coordinate_text(t->get(m, 1)) << '\n';
  return as_int(exit_status::ok);
}

}  // namespace

int run_dump(const dump_options& o, std::ostream& out, std::ostream& err) {
  const failure fail = [&](const std::string& message) {
    print_error(err, message);
    if (o.json) print_json(out, dump_failure_document(o.path, message));
    return as_int(exit_status::usage_or_file_error);
  };
  std::optional<compiled_kind> kind;
  if (o.kind) {
    kind = kind_from_word(*o.kind);
    if (!kind) return fail("unknown kind \"" + *o.kind + "\": cells, scenario or geometry");
  } else if (o.path == standard_input_name) {
    return fail("standard input has no name to tell its kind: give --kind");
  } else {
    kind = kind_from_name(o.path);
    if (!kind)
      return fail("cannot tell the kind of \"" + o.path +
                  "\" from its name (_linea.dat, .sim, .dat): give --kind");
  }
  if (o.step < 1) return fail("--step must be at least 1");
  switch (*kind) {
    case compiled_kind::cells:
      return dump_cells(o, out, fail);
    case compiled_kind::scenario:
      return dump_scenario(o, out, fail);
    case compiled_kind::geometry:
      return dump_geometry(o, out, fail);
  }
  return as_int(exit_status::usage_or_file_error);
}

json dump_failure_document(const std::string& path, const std::string& message) {
  json doc;
  doc["file"] = path.empty() ? json(nullptr) : json(utf8_text(path));
  doc["error"] = json_text(message);
  doc["exit_status"] = as_int(exit_status::usage_or_file_error);
  return doc;
}

}  // namespace scenario
