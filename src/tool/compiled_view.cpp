#include "tool/compiled_view.h"

#include <cctype>
#include <cerrno>
#include <cstdio>

#include "output/compiled_decoders.h"
#include "output/file_names.h"
#include "platform/files.h"
#include "tool/text_encoding.h"

namespace scenario {

namespace {

std::string record_name(const tabella_voci* voci, int k) {
  if (!voci || k < 0 || k >= general_record_count) return {};
  return utf8_text(voci->at(static_cast<std::size_t>(k)).nome);
}

}  // namespace

std::optional<compiled_kind> kind_from_name(const std::string& path) {
  // Without regard to case: names made on Windows often end in ".DAT".
  std::string name = file_name_of(path);
  for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (name.ends_with(geometry_ending)) return compiled_kind::geometry;
  if (name.ends_with(scenario_ending)) return compiled_kind::scenario;
  if (name.ends_with(route_cell_ending)) return compiled_kind::cells;
  return std::nullopt;
}

std::optional<compiled_kind> kind_from_word(const std::string& word) {
  if (word == "cells") return compiled_kind::cells;
  if (word == "scenario") return compiled_kind::scenario;
  if (word == "geometry") return compiled_kind::geometry;
  return std::nullopt;
}

namespace {

// Where the ending of a file name begins: its last dot, unless that starts the name.
std::size_t ending_start(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 || name == ".." ? name.size() : dot;
}

}  // namespace

std::string with_ending(const std::string& path, std::string_view ending) {
  const std::string name = file_name_of(path);
  return path.substr(0, path.size() - name.size() + ending_start(name)) + std::string(ending);
}

std::string scenario_beside(const std::string& cell_path) {
  return with_ending(cell_path, scenario_ending);
}

std::optional<std::string> geometry_beside(const std::string& cell_path, const tabella_voci* voci) {
  const std::string dir = parent_folder(cell_path);
  if (voci && !(*voci)[voce::percorso].nome.empty()) {
    const std::string g = join_path(dir, geometry_file_name((*voci)[voce::percorso].nome));
    if (file_exists(g)) return g;
    return std::nullopt;
  }
  // "<route>_<train>.dat": the route is some prefix ending before an underscore.
  const std::string name = file_name_of(cell_path);
  const std::string stem = name.substr(0, ending_start(name));
  for (std::size_t cut = stem.rfind('_'); cut != std::string::npos && cut > 0;
       cut = stem.rfind('_', cut - 1)) {
    const std::string g = join_path(dir, geometry_file_name(stem.substr(0, cut)));
    if (file_exists(g)) return g;
  }
  return std::nullopt;
}

signal_values signal_of(const cella& c) {
  signal_values s{};
  const integer_t v[3] = {c.valore1, c.valore2, c.valore3};
  for (int i = 0; i < 3; ++i) {
    s.s[i] = v[i] / 10;
    s.d[i] = v[i] % 10;
  }
  s.rapp = c.valore4 / 10;
  s.sx = (c.valore4 % 10) / 3;
  s.dx = (c.valore4 % 10) % 3;
  s.tempo = c.tempo;
  return s;
}

board_values board_of(const cella& c) {
  board_values b{};
  const integer_t v[3] = {c.valore1, c.valore2, c.valore3};
  for (int i = 0; i < 3; ++i) {
    b.left[i] = (v[i] / 100) * 5;
    b.right[i] = (v[i] % 100) * 5;
  }
  b.stripes_left = c.valore4 / 10;
  b.stripes_right = c.valore4 % 10;
  return b;
}

std::string describe_object(const cella& c, const tabella_voci* voci) {
  std::string s = cell_kind_name(c.tipo);
  auto num = [](int v) { return std::to_string(v); };
  switch (c.tipo) {
    case tipo_cella::segnale: {
      const signal_values g = signal_of(c);
      s += ": s " + num(g.s[0]) + "/" + num(g.s[1]) + "/" + num(g.s[2]) + ", d " + num(g.d[0]) +
           "/" + num(g.d[1]) + "/" + num(g.d[2]) + ", sx " + num(g.sx) + ", dx " + num(g.dx) +
           ", rapp " + num(g.rapp);
      if (g.tempo != 0) s += ", tempo " + num(g.tempo);
      break;
    }
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento:
      s += ": " + num(c.valore1) + " km/h";
      if (c.valore2 != 0) s += ", d_v " + num(c.valore2);
      s += ", f_tt " + num(c.valore3);
      break;
    case tipo_cella::avviso_rallentamento:
      s += ": " + num(c.valore1) + " km/h";
      if (c.valore2 != 0) s += ", d_v " + num(c.valore2);
      break;
    case tipo_cella::preavviso_rallentamento:
      s += " " + num(c.valore1);
      break;
    case tipo_cella::indicatori_v_max: {
      const board_values b = board_of(c);
      s += ": left " + num(b.left[0]) + "/" + num(b.left[1]) + "/" + num(b.left[2]) +
           " km/h, right " + num(b.right[0]) + "/" + num(b.right[1]) + "/" + num(b.right[2]) +
           " km/h, stripes " + num(b.stripes_left) + "/" + num(b.stripes_right);
      break;
    }
    case tipo_cella::stazione:
      s += ": station " + num(c.valore1);
      if (const std::string n = record_name(voci, c.valore1); !n.empty()) s += " \"" + n + "\"";
      break;
    case tipo_cella::abbattimento:
      s += ": value " + num(c.valore1);
      if (c.valore1 == 180) s += " (spacing marker)";
      break;
    case tipo_cella::cartello_indicatore:
      s += ": record " + num(c.valore1);
      if (const std::string n = record_name(voci, c.valore1); !n.empty()) s += " \"" + n + "\"";
      break;
    default:
      break;
  }
  return s;
}

nlohmann::json object_json(std::size_t index, const cella& c, const tabella_voci* voci) {
  nlohmann::json j;
  j["cell"] = index;
  j["position_m"] = cell_position(index);
  j["tipo"] = c.tipo;
  j["object"] = cell_kind_name(c.tipo);
  j["valori"] = {c.valore1, c.valore2, c.valore3, c.valore4};
  switch (c.tipo) {
    case tipo_cella::segnale: {
      const signal_values g = signal_of(c);
      j["s"] = {g.s[0], g.s[1], g.s[2]};
      j["d"] = {g.d[0], g.d[1], g.d[2]};
      j["sx"] = g.sx;
      j["dx"] = g.dx;
      j["rapp"] = g.rapp;
      j["tempo"] = g.tempo;
      break;
    }
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento:
      j["speed_kmh"] = c.valore1;
      j["d_v"] = c.valore2;
      j["f_tt"] = c.valore3;
      break;
    case tipo_cella::avviso_rallentamento:
      j["speed_kmh"] = c.valore1;
      j["d_v"] = c.valore2;
      break;
    case tipo_cella::preavviso_rallentamento:
      j["n"] = c.valore1;
      break;
    case tipo_cella::indicatori_v_max: {
      const board_values b = board_of(c);
      j["left_kmh"] = {b.left[0], b.left[1], b.left[2]};
      j["right_kmh"] = {b.right[0], b.right[1], b.right[2]};
      j["stripes"] = {b.stripes_left, b.stripes_right};
      break;
    }
    case tipo_cella::stazione:
      j["record"] = c.valore1;
      if (voci) j["name"] = record_name(voci, c.valore1);
      break;
    case tipo_cella::abbattimento:
      j["value"] = c.valore1;
      break;
    case tipo_cella::cartello_indicatore:
      j["record"] = c.valore1;
      if (voci) j["text"] = record_name(voci, c.valore1);
      break;
    default:
      break;
  }
  return j;
}

nlohmann::json cell_json(std::size_t index, const cella& c) {
  return {{"cell", index},          {"tipo", c.tipo},
          {"valore1", c.valore1},   {"valore2", c.valore2},
          {"valore3", c.valore3},   {"valore4", c.valore4},
          {"tempo", c.tempo},       {"preavviso", c.preavviso},
          {"montagna", c.montagna}, {"velocita_limite", c.velocita_limite},
          {"pendenza", c.pendenza}, {"aderenza", c.aderenza}};
}

std::string shown_name(const std::string& path) {
  return path == standard_input_name ? "standard input" : path;
}

std::string clock_text(long_t seconds) {
  const bool negative = seconds < 0;
  const long long s = negative ? -static_cast<long long>(seconds) : seconds;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%02lld:%02lld:%02lld", negative ? "-" : "", s / 3600,
                s / 60 % 60, s % 60);
  return buf;
}

std::vector<value_run> runs_of(const std::vector<cella>& cells, byte_t cella::*field) {
  std::vector<value_run> runs;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const int v = cells[i].*field;
    if (!runs.empty() && runs.back().value == v)
      runs.back().last = i;
    else
      runs.push_back({i, i, v});
  }
  return runs;
}

int speed_kmh(byte_t velocita_limite) {
  return velocita_limite * 5;
}
int gradient_per_mille(byte_t pendenza) {
  return static_cast<int>(pendenza) - 100;
}

bool is_station_record(const voce_generale& v) {
  return v.tipo != 0 || v.inizio != 0 || v.fine != 0 || v.posizione != 0 || v.ottetto0 != 0 ||
         v.intero1 != 0 || v.intero2 != 0 || v.intero3 != 0 || v.intero4 != 0 || v.intero5 != 0 ||
         v.ottetto1 != 0 || v.ottetto2 != 0 || v.ottetto3 != 0 || v.ottetto4 != 0 || v.orario != 0;
}

namespace {

template <class T>
loaded<T> load(const std::string& path, decoded<T> (*decode)(std::string_view)) {
  std::optional<std::string> bytes;
  try {
    bytes = path == standard_input_name ? read_standard_input() : read_whole_file(path);
  } catch (const file_error& e) {
    return {std::nullopt, e.what()};
  }
  if (!bytes) return {std::nullopt, file_error(path, "open", ENOENT).what()};
  decoded<T> d = decode(*bytes);
  if (!d)
    return {std::nullopt, shown_name(path) + ": damaged at byte offset " +
                              std::to_string(d.error.offset) + ": expected " + d.error.expected};
  return {std::move(d.value), {}};
}

}  // namespace

loaded<std::vector<cella>> load_route_cells(const std::string& path) {
  return load(path, decode_route_cells);
}
loaded<tabella_voci> load_scenario(const std::string& path) {
  return load(path, decode_scenario);
}
loaded<track_points> load_geometry(const std::string& path) {
  return load(path, decode_geometry);
}

}  // namespace scenario
