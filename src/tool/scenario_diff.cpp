#include "tool/scenario_diff.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "tool/compiled_view.h"
#include "tool/text_encoding.h"

namespace scenario {

namespace {

using cells_t = std::vector<cella>;

const cella& cell_at(const cells_t& cells, std::size_t i) {
  static const cella none{};
  return i < cells.size() ? cells[i] : none;
}

// The object of a cell without the identity stamps that cell 1 carries.
cella object_cell(const cells_t& cells, std::size_t i) {
  cella c = cell_at(cells, i);
  if (i == 1) c.valore1 = c.valore2 = 0;
  return c;
}

// The position an entry writes for the object of a cell: a point object written at p stands in
// cell p/50 + 1, a code cut point in cell p/50; anything else is given by its cell's start.
long long written_position(std::size_t cell, byte_t tipo) {
  const long long start = static_cast<long long>(cell) * 50;
  switch (tipo) {
    case tipo_cella::segnale:
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento:
    case tipo_cella::avviso_rallentamento:
    case tipo_cella::indicatori_v_max:
    case tipo_cella::cartello_indicatore:
      return start - 50;
    default:
      return start;
  }
}

std::string metres(long long m) {
  return std::to_string(m) + " m";
}

std::string triple(int a, int b, int c) {
  return std::to_string(a) + "/" + std::to_string(b) + "/" + std::to_string(c);
}

// A value with its name, as a field of a change shows it.
struct named_value {
  named_value(std::string f, diff_value v, std::string u = {}, bool q = false)
      : field(std::move(f)), value(std::move(v)), unit(std::move(u)), quoted(q) {}
  std::string field;
  diff_value value;
  std::string unit;
  bool quoted;
};

// The fields in which two lists of the same shape differ.
std::vector<field_change> differing(const std::vector<named_value>& before,
                                    const std::vector<named_value>& after) {
  std::vector<field_change> out;
  for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
    if (before[i].value != after[i].value)
      out.push_back(
          {before[i].field, before[i].value, after[i].value, before[i].unit, before[i].quoted});
  return out;
}

// ---- objects of the route cells

// The warning board stands 1200 m (24 cells) before the start; the approach cells lie just before
// the warning, one or two cells further out depending on how the start rounded.
constexpr std::size_t warning_offset = 24;
constexpr std::size_t approach_first = 25, approach_last = 30;

struct route_object {
  change_group group;
  std::size_t cell;
  cella c;  // its cell, without the identity stamps
  // A restriction: cells from the start to the end (-1 without an end), whether it has a warning
  // board, and how many approach cells.
  long long length = -1;
  bool warning = false;
  int approach = 0;
  const std::string* text = nullptr;  // a text board's text, when its record exists
};

bool same_object(const route_object& a, const route_object& b) {
  if (a.group != b.group || a.c.tipo != b.c.tipo) return false;
  const cella &x = a.c, &y = b.c;
  switch (x.tipo) {
    case tipo_cella::inizio_rallentamento:
      return x.valore1 == y.valore1 && x.valore2 == y.valore2 && x.valore3 == y.valore3 &&
             a.length == b.length && a.warning == b.warning && a.approach == b.approach;
    case tipo_cella::fine_rallentamento:
    case tipo_cella::avviso_rallentamento:
    case tipo_cella::preavviso_rallentamento:
      return x.valore1 == y.valore1 && x.valore2 == y.valore2 && x.valore3 == y.valore3;
    case tipo_cella::indicatori_v_max:
      return x.valore1 == y.valore1 && x.valore2 == y.valore2 && x.valore3 == y.valore3 &&
             x.valore4 == y.valore4;
    case tipo_cella::abbattimento:
      return x.valore1 == y.valore1;
    case tipo_cella::abbattimento_nullo:
      return true;
    case tipo_cella::cartello_indicatore:
      return (a.text == nullptr) == (b.text == nullptr) && (!a.text || *a.text == *b.text);
    default:  // signals and kinds no compile writes: every value of the object
      return x.valore1 == y.valore1 && x.valore2 == y.valore2 && x.valore3 == y.valore3 &&
             x.valore4 == y.valore4 && x.tempo == y.tempo;
  }
}

// Objects of the same group that can be compared field by field.
bool same_shape(const route_object& a, const route_object& b) {
  return a.group == b.group && (a.c.tipo == b.c.tipo || a.group == change_group::cut_points);
}

// Every value of an object's cell, by its field's name.
std::vector<named_value> raw_cell(const cella& c) {
  return {{"tipo", c.tipo},       {"valore1", c.valore1}, {"valore2", c.valore2},
          {"valore3", c.valore3}, {"valore4", c.valore4}, {"tempo", c.tempo}};
}

std::vector<named_value> object_values(const route_object& o) {
  const cella& c = o.c;
  switch (c.tipo) {
    case tipo_cella::segnale: {
      const signal_values s = signal_of(c);
      return {{"s", triple(s.s[0], s.s[1], s.s[2])},
              {"d", triple(s.d[0], s.d[1], s.d[2])},
              {"sx", s.sx},
              {"dx", s.dx},
              {"rapp", s.rapp},
              {"tempo", s.tempo}};
    }
    case tipo_cella::inizio_rallentamento:
      return {{"speed", c.valore1, "km/h"},
              {"length", o.length < 0 ? diff_value{} : diff_value{o.length * 50}, "m"},
              {"d_v", c.valore2},
              {"f_tt", c.valore3},
              {"warning", std::string(o.warning ? "yes" : "no")},
              {"approach cells", o.approach}};
    case tipo_cella::fine_rallentamento:
    case tipo_cella::avviso_rallentamento:
    case tipo_cella::preavviso_rallentamento:
      return {{"value", c.valore1}, {"d_v", c.valore2}, {"f_tt", c.valore3}};
    case tipo_cella::indicatori_v_max: {
      const board_values b = board_of(c);
      return {{"left", triple(b.left[0], b.left[1], b.left[2]), "km/h"},
              {"right", triple(b.right[0], b.right[1], b.right[2]), "km/h"},
              {"stripes", std::to_string(b.stripes_left) + "/" + std::to_string(b.stripes_right)}};
    }
    case tipo_cella::abbattimento:
      return {{"value", c.valore1}};
    case tipo_cella::abbattimento_nullo:
      return {{"value", diff_value{}}};
    case tipo_cella::cartello_indicatore:
      return {{"text", o.text ? diff_value{utf8_text(*o.text)} : diff_value{}, "", true}};
    default:
      return raw_cell(c);
  }
}

std::string object_words(const route_object& o) {
  const cella& c = o.c;
  const std::string n = std::to_string(c.valore1);
  switch (c.tipo) {
    case tipo_cella::segnale: {
      const signal_values s = signal_of(c);
      std::string w = "s " + triple(s.s[0], s.s[1], s.s[2]) + ", d " +
                      triple(s.d[0], s.d[1], s.d[2]) + ", sx " + std::to_string(s.sx) + ", dx " +
                      std::to_string(s.dx) + ", rapp " + std::to_string(s.rapp);
      if (s.tempo != 0) w += ", tempo " + std::to_string(s.tempo);
      return w;
    }
    case tipo_cella::inizio_rallentamento: {
      std::string w = n + " km/h";
      w += o.length < 0
               ? ", no end"
               : " to " + metres(written_position(o.cell + static_cast<std::size_t>(o.length),
                                                  tipo_cella::fine_rallentamento));
      if (c.valore2 != 0) w += ", d_v " + std::to_string(c.valore2);
      w += ", f_tt " + std::to_string(c.valore3);
      if (o.warning)
        w += ", warning at " +
             metres(written_position(o.cell - warning_offset, tipo_cella::avviso_rallentamento));
      if (o.approach > 0) w += ", " + std::to_string(o.approach) + " approach cells";
      return w;
    }
    case tipo_cella::fine_rallentamento:
    case tipo_cella::avviso_rallentamento:
      return cell_kind_name(c.tipo) + " without its start, " + n + " km/h";
    case tipo_cella::preavviso_rallentamento:
      return cell_kind_name(c.tipo) + " " + n + " without its restriction";
    case tipo_cella::indicatori_v_max: {
      const board_values b = board_of(c);
      return "left " + triple(b.left[0], b.left[1], b.left[2]) + " km/h, right " +
             triple(b.right[0], b.right[1], b.right[2]) + " km/h, stripes " +
             std::to_string(b.stripes_left) + "/" + std::to_string(b.stripes_right);
    }
    case tipo_cella::abbattimento:
      return c.valore1 == 180 ? "spacing marker (180)" : "code cut point, value " + n;
    case tipo_cella::abbattimento_nullo:
      return "code cut point without a code";
    case tipo_cella::cartello_indicatore:
      return o.text ? "\"" + utf8_text(*o.text) + "\"" : "record " + n + ", which holds no text";
    default:
      return cell_kind_name(c.tipo) + ": valori " + n + " " + std::to_string(c.valore2) + " " +
             std::to_string(c.valore3) + " " + std::to_string(c.valore4) + ", tempo " +
             std::to_string(c.tempo);
  }
}

// The objects of the cells, in cell order: each restriction as one object at its start cell, with
// its end, warning and approach cells; station ends and scenery marks belong to the stations and
// the scenery, and are left out.
std::vector<route_object> objects_of(const cells_t& cells, const tabella_voci& voci) {
  std::vector<route_object> out;
  std::vector<char> claimed(cells.size(), 0);
  // Each start takes the first end after it that no earlier start took.
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < cells.size(); ++i)
    if (cells[i].tipo == tipo_cella::fine_rallentamento) ends.push_back(i);
  std::size_t next_end = 0;
  std::vector<route_object> restrictions;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].tipo != tipo_cella::inizio_rallentamento) continue;
    route_object r{change_group::restrictions, i, object_cell(cells, i)};
    while (next_end < ends.size() && ends[next_end] <= i) ++next_end;
    if (next_end < ends.size()) {
      r.length = static_cast<long long>(ends[next_end] - i);
      claimed[ends[next_end++]] = 1;
    }
    if (i >= warning_offset && cells[i - warning_offset].tipo == tipo_cella::avviso_rallentamento) {
      r.warning = true;
      claimed[i - warning_offset] = 1;
    }
    for (std::size_t k = approach_first; k <= approach_last && k <= i; ++k)
      if (cells[i - k].tipo == tipo_cella::preavviso_rallentamento) {
        ++r.approach;
        claimed[i - k] = 1;
      }
    restrictions.push_back(r);
  }
  std::size_t next_restriction = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (next_restriction < restrictions.size() && restrictions[next_restriction].cell == i) {
      out.push_back(restrictions[next_restriction++]);
      continue;
    }
    if (claimed[i]) continue;
    const cella c = object_cell(cells, i);
    route_object o{change_group::other_cells, i, c};
    switch (c.tipo) {
      case tipo_cella::nulla:
      case tipo_cella::montagna:
      case tipo_cella::stazione:
        continue;
      case tipo_cella::segnale:
        o.group = change_group::signals;
        break;
      case tipo_cella::fine_rallentamento:
      case tipo_cella::avviso_rallentamento:
      case tipo_cella::preavviso_rallentamento:
        o.group = change_group::restrictions;
        break;
      case tipo_cella::indicatori_v_max:
        o.group = change_group::speed_boards;
        break;
      case tipo_cella::abbattimento:
      case tipo_cella::abbattimento_nullo:
        o.group = change_group::cut_points;
        break;
      case tipo_cella::cartello_indicatore:
        o.group = change_group::text_boards;
        if (c.valore1 >= 0 && c.valore1 < general_record_count)
          o.text = &voci[static_cast<std::size_t>(c.valore1)].nome;
        break;
      default:
        break;
    }
    out.push_back(o);
  }
  return out;
}

// The cells an object occupies in its scenario.
std::vector<std::size_t> cells_of(const route_object& o, const cells_t& cells) {
  std::vector<std::size_t> at{o.cell};
  if (o.c.tipo != tipo_cella::inizio_rallentamento) return at;
  if (o.length >= 0) at.push_back(o.cell + static_cast<std::size_t>(o.length));
  if (o.warning) at.push_back(o.cell - warning_offset);
  for (std::size_t k = approach_first; k <= approach_last && k <= o.cell; ++k)
    if (cells[o.cell - k].tipo == tipo_cella::preavviso_rallentamento) at.push_back(o.cell - k);
  return at;
}

// ---- what the changes account for

class comparison {
 public:
  comparison(const scenario_view& a, const scenario_view& b)
      : a_(*a.cells),
        b_(*b.cells),
        voci_a_(*a.voci),
        voci_b_(*b.voci),
        plan_a_(a.plan),
        plan_b_(b.plan),
        cells_(std::max(a_.size(), b_.size())),
        covered_(cells_, 0),
        explained_marks_(cells_, 0) {}

  std::vector<change> run() {
    compare_objects();
    compare_stations();
    compare_approach_marks();
    compare_scenery_marks();
    compare_other_cell_bytes();
    compare_runs();
    compare_records();
    compare_identity();
    compare_plans();
    std::stable_sort(out_.begin(), out_.end(), [](const change& x, const change& y) {
      if (x.group != y.group) return x.group < y.group;
      return x.at_m.value_or(-1) < y.at_m.value_or(-1);
    });
    return std::move(out_);
  }

 private:
  void cover(std::size_t i) {
    if (i < cells_) covered_[i] = 1;
  }
  // Approach marks written for an object standing at `cell`, which a change of that object
  // explains: up to `reach` cells before it.
  void explain_marks(std::size_t cell, std::size_t reach) {
    for (std::size_t k = 1; k <= reach && k <= cell; ++k)
      if (cell - k < cells_) explained_marks_[cell - k] = 1;
  }

  void report_object(change_kind kind, const route_object* before, const route_object* after) {
    change c;
    const route_object& o = after ? *after : *before;
    c.group = o.group;
    c.kind = kind;
    c.cell = o.cell;
    c.at_m = written_position(o.cell, o.c.tipo);
    c.object = object_words(o);
    if (kind == change_kind::moved) {
      c.from_cell = before->cell;
      c.from_m = written_position(before->cell, before->c.tipo);
    }
    if (kind == change_kind::changed)
      c.fields = differing(object_values(*before), object_values(*after));
    out_.push_back(std::move(c));
    const std::size_t reach = o.c.tipo == tipo_cella::segnale ? 8 : 0;
    if (before) {
      for (std::size_t i : cells_of(*before, a_)) cover(i);
      explain_marks(before->cell, reach);
    }
    if (after) {
      for (std::size_t i : cells_of(*after, b_)) cover(i);
      explain_marks(after->cell, reach);
    }
  }

  // Objects in the same cell are the same object, changed or not; the rest are paired with the
  // nearest object of the same kind and values within reach, in order along the route; what is
  // left was removed or added.
  void compare_objects() {
    const std::vector<route_object> olds = objects_of(a_, voci_a_);
    const std::vector<route_object> news = objects_of(b_, voci_b_);
    std::vector<char> old_paired(olds.size(), 0), new_paired(news.size(), 0);
    for (std::size_t i = 0, j = 0; i < olds.size() && j < news.size();) {
      if (olds[i].cell < news[j].cell) {
        ++i;
      } else if (news[j].cell < olds[i].cell) {
        ++j;
      } else {
        if (same_shape(olds[i], news[j])) {
          old_paired[i] = new_paired[j] = 1;
          if (!same_object(olds[i], news[j]))
            report_object(change_kind::changed, &olds[i], &news[j]);
        }
        ++i, ++j;
      }
    }
    std::vector<std::size_t> new_left;
    for (std::size_t j = 0; j < news.size(); ++j)
      if (!new_paired[j]) new_left.push_back(j);
    const std::size_t reach = static_cast<std::size_t>(move_reach_m / 50);
    std::size_t window = 0;  // first of new_left that may still be within reach
    for (std::size_t i = 0; i < olds.size(); ++i) {
      if (old_paired[i]) continue;
      const std::size_t cell = olds[i].cell;
      while (window < new_left.size() && news[new_left[window]].cell + reach < cell) ++window;
      std::size_t best = new_left.size();
      std::size_t best_distance = reach + 1;
      for (std::size_t w = window; w < new_left.size(); ++w) {
        const route_object& n = news[new_left[w]];
        if (n.cell > cell + reach) break;
        if (new_paired[new_left[w]] || !same_object(olds[i], n)) continue;
        const std::size_t d = n.cell > cell ? n.cell - cell : cell - n.cell;
        if (d < best_distance) best = w, best_distance = d;
      }
      if (best == new_left.size()) continue;
      old_paired[i] = new_paired[new_left[best]] = 1;
      report_object(change_kind::moved, &olds[i], &news[new_left[best]]);
    }
    for (std::size_t i = 0; i < olds.size(); ++i)
      if (!old_paired[i]) report_object(change_kind::removed, &olds[i], nullptr);
    for (std::size_t j = 0; j < news.size(); ++j)
      if (!new_paired[j]) report_object(change_kind::added, nullptr, &news[j]);
  }

  // ---- stations, from their general records

  struct station {
    int record;
    const voce_generale* v;
  };

  static std::vector<station> stations_of(const tabella_voci& voci) {
    std::vector<station> out;
    for (int k = voce::prima_stazione; k <= voce::primo_cartello; ++k) {
      const voce_generale& v = voci[static_cast<std::size_t>(k)];
      if (is_station_record(v)) out.push_back({k, &v});
    }
    return out;
  }

  static std::string area_words(const voce_generale& v) {
    return std::to_string(v.inizio) + " to " + metres(v.fine);
  }

  static std::vector<named_value> station_values(const voce_generale& v) {
    return {{"kind", v.tipo},
            {"area", area_words(v)},
            {"value 4", v.ottetto0},
            {"value 5", v.ottetto4},
            {"value 6", v.ottetto3},
            {"value 7", v.intero1},
            {"value 8", v.intero2},
            {"value 9", v.ottetto1},
            {"value 10", v.intero3},
            {"value 11", v.intero4},
            {"value 12", v.intero5},
            {"value 13", v.ottetto2},
            {"time", clock_text(v.orario)},
            {"name", utf8_text(v.nome), "", true}};
  }

  // The station's end cell and the four approach marks before it, in its scenario.
  void cover_station(const voce_generale& v, const cells_t& cells) {
    if (v.tipo >= 25) return;
    const long long end = static_cast<long long>(v.fine) / 50 - 1;
    if (end <= 1 || static_cast<std::size_t>(end) >= cells.size()) return;
    cover(static_cast<std::size_t>(end));
    explain_marks(static_cast<std::size_t>(end), 4);
  }

  void report_station(change_kind kind, const station* before, const station* after) {
    const voce_generale& v = after ? *after->v : *before->v;
    change c;
    c.group = change_group::stations;
    c.kind = kind;
    c.name = utf8_text(v.nome);
    c.at_m = v.posizione;
    c.record = after ? after->record : before->record;
    c.object = "kind " + std::to_string(v.tipo) + ", area " + area_words(v) + ", time " +
               clock_text(v.orario);
    if (before && after) {
      c.fields = differing(station_values(*before->v), station_values(*after->v));
      if (kind == change_kind::moved) {
        c.from_m = before->v->posizione;
        // A moved area that keeps its place around the station is part of the move.
        auto around = [](const voce_generale& s) {
          const long long at = s.posizione;
          return std::pair{s.inizio - at, s.fine - at};
        };
        const bool same_area = around(*after->v) == around(*before->v);
        if (same_area)
          std::erase_if(c.fields, [](const field_change& f) { return f.field == "area"; });
      }
      if (c.fields.empty() && kind == change_kind::changed) return;
    }
    if (before) cover_station(*before->v, a_);
    if (after) cover_station(*after->v, b_);
    out_.push_back(std::move(c));
  }

  // The same name at the same place is the same station; a new name at the same place is a
  // renamed one; the same name elsewhere, the nearest first, a moved one.
  void compare_stations() {
    const std::vector<station> olds = stations_of(voci_a_), news = stations_of(voci_b_);
    std::vector<char> old_paired(olds.size(), 0), new_paired(news.size(), 0);
    auto pair_up = [&](const std::function<bool(const station&, const station&)>& same,
                       change_kind kind) {
      for (std::size_t i = 0; i < olds.size(); ++i) {
        if (old_paired[i]) continue;
        std::size_t best = news.size();
        long long best_distance = 0;
        for (std::size_t j = 0; j < news.size(); ++j) {
          if (new_paired[j] || !same(olds[i], news[j])) continue;
          const long long d =
              std::llabs(static_cast<long long>(news[j].v->posizione) - olds[i].v->posizione);
          if (best == news.size() || d < best_distance) best = j, best_distance = d;
        }
        if (best == news.size()) continue;
        old_paired[i] = new_paired[best] = 1;
        report_station(kind, &olds[i], &news[best]);
      }
    };
    pair_up(
        [](const station& x, const station& y) {
          return x.v->nome == y.v->nome && x.v->posizione == y.v->posizione;
        },
        change_kind::changed);
    pair_up([](const station& x, const station& y) { return x.v->posizione == y.v->posizione; },
            change_kind::changed);
    pair_up([](const station& x, const station& y) { return x.v->nome == y.v->nome; },
            change_kind::moved);
    for (std::size_t i = 0; i < olds.size(); ++i)
      if (!old_paired[i]) report_station(change_kind::removed, &olds[i], nullptr);
    for (std::size_t j = 0; j < news.size(); ++j)
      if (!new_paired[j]) report_station(change_kind::added, nullptr, &news[j]);
  }

  // ---- marks

  // Stretches of cells where `differs` holds, those less than `gap` cells apart joined.
  template <class Differs, class Report>
  void stretches(std::size_t gap, Differs differs, Report report) {
    std::size_t first = 0, last = 0;
    bool open = false;
    for (std::size_t i = 0; i < cells_; ++i) {
      if (!differs(i)) continue;
      if (open && i - last <= gap) {
        last = i;
        continue;
      }
      if (open) report(first, last);
      first = last = i;
      open = true;
    }
    if (open) report(first, last);
  }

  change stretch_change(change_group group, std::size_t first, std::size_t last) const {
    change c;
    c.group = group;
    c.kind = change_kind::changed;
    c.at_m = static_cast<long long>(first) * 50;
    c.to_m = static_cast<long long>(last + 1) * 50;
    return c;
  }

  // Approach marks that no reported signal or station accounts for.
  void compare_approach_marks() {
    auto marks = [&](const cells_t& cells, std::size_t first, std::size_t last) {
      std::string s;
      for (std::size_t i = first; i <= last; ++i) {
        const int m = cell_at(cells, i).preavviso;
        s += (s.empty() ? "" : " ") + (m == 0 ? std::string("-") : std::to_string(m));
      }
      return s;
    };
    stretches(
        2,
        [&](std::size_t i) {
          return !explained_marks_[i] && cell_at(a_, i).preavviso != cell_at(b_, i).preavviso;
        },
        [&](std::size_t first, std::size_t last) {
          change c = stretch_change(change_group::approach_marks, first, last);
          c.fields.push_back({"marks", marks(a_, first, last), marks(b_, first, last), "", false});
          out_.push_back(std::move(c));
        });
  }

  // Scenery marks that appear or go where no object took or left their cell.
  void compare_scenery_marks() {
    auto is_mark = [](const cells_t& cells, std::size_t i) {
      return cell_at(cells, i).tipo == tipo_cella::montagna;
    };
    auto count = [&](const cells_t& cells, std::size_t first, std::size_t last) {
      long long n = 0;
      for (std::size_t i = first; i <= last; ++i) n += is_mark(cells, i);
      return n;
    };
    stretches(
        4, [&](std::size_t i) { return !covered_[i] && is_mark(a_, i) != is_mark(b_, i); },
        [&](std::size_t first, std::size_t last) {
          change c = stretch_change(change_group::scenery, first, last);
          c.fields.push_back({"marks", count(a_, first, last), count(b_, first, last), "", false});
          out_.push_back(std::move(c));
        });
  }

  // Whatever else differs in a cell that no change has covered: the leftovers of an object that
  // a station end overwrote, or values no compile writes.
  void compare_other_cell_bytes() {
    auto masked = [](const cells_t& cells, std::size_t i) {
      cella c = object_cell(cells, i);
      c.preavviso = c.montagna = c.velocita_limite = c.pendenza = c.aderenza = 0;
      if (c.tipo == tipo_cella::montagna) c.tipo = tipo_cella::nulla;
      // Record indices: the stations and boards they point at are compared by name and text.
      if (c.tipo == tipo_cella::stazione || c.tipo == tipo_cella::cartello_indicatore)
        c.valore1 = 0;
      return c;
    };
    for (std::size_t i = 0; i < cells_; ++i) {
      if (covered_[i]) continue;
      const cella x = masked(a_, i), y = masked(b_, i);
      if (x == y) continue;
      change c;
      c.group = change_group::other_cells;
      c.kind = change_kind::changed;
      c.at_m = static_cast<long long>(i) * 50;
      c.cell = i;
      c.fields = differing(raw_cell(x), raw_cell(y));
      out_.push_back(std::move(c));
    }
  }

  // ---- line properties as runs of metres

  void compare_runs() {
    struct property {
      change_group group;
      byte_t cella::*field;
      int (*shown)(byte_t);
      const char* unit;
    };
    static const property properties[] = {
        {change_group::speed_limit, &cella::velocita_limite, speed_kmh, "km/h"},
        {change_group::gradient, &cella::pendenza, gradient_per_mille, "per mille"},
        {change_group::adhesion, &cella::aderenza, [](byte_t v) { return int(v); }, ""},
        {change_group::scenery, &cella::montagna, [](byte_t v) { return int(v); }, ""},
    };
    for (const property& p : properties) {
      auto value = [&](const cells_t& cells, std::size_t i) -> diff_value {
        if (i >= cells.size()) return {};
        return static_cast<long long>(p.shown(cells[i].*p.field));
      };
      std::size_t i = 0;
      while (i < cells_) {
        const diff_value before = value(a_, i), after = value(b_, i);
        if (before == after) {
          ++i;
          continue;
        }
        std::size_t last = i;
        while (last + 1 < cells_ && value(a_, last + 1) == before && value(b_, last + 1) == after)
          ++last;
        change c = stretch_change(p.group, i, last);
        c.fields.push_back({"", before, after, p.unit, false});
        out_.push_back(std::move(c));
        i = last + 1;
      }
    }
  }

  // ---- general records by name

  static std::vector<named_value> raw_fields(const voce_generale& v,
                                             std::initializer_list<const char*> names) {
    std::vector<named_value> out;
    for (const char* n : names) {
      const std::string f = n;
      diff_value x;
      if (f == "tipo")
        x = v.tipo;
      else if (f == "inizio")
        x = v.inizio;
      else if (f == "fine")
        x = v.fine;
      else if (f == "posizione")
        x = v.posizione;
      else if (f == "ottetto0")
        x = v.ottetto0;
      else if (f == "nome")
        x = utf8_text(v.nome);
      else if (f == "intero1")
        x = v.intero1;
      else if (f == "intero2")
        x = v.intero2;
      else if (f == "intero3")
        x = v.intero3;
      else if (f == "intero4")
        x = v.intero4;
      else if (f == "intero5")
        x = v.intero5;
      else if (f == "ottetto1")
        x = v.ottetto1;
      else if (f == "ottetto2")
        x = v.ottetto2;
      else if (f == "ottetto3")
        x = v.ottetto3;
      else if (f == "ottetto4")
        x = v.ottetto4;
      else if (f == "orario")
        x = v.orario;
      out.push_back({f, x, "", f == "nome"});
    }
    return out;
  }

  static std::string record_role(int k) {
    if (k == voce::treno_e_percorso) return "train and route data";
    if (k == voce::percorso) return "route";
    if (k == voce::treno) return "train";
    if (k >= voce::progressiva_tre && k <= voce::progressiva_uno)
      return "progressive (record " + std::to_string(k) + ")";
    return "record " + std::to_string(k);
  }

  // The fields of a record with a fixed role, by the names an author knows; the fields the role
  // leaves unused by their own names, so that nothing goes unseen. The identity code and stamp
  // of the route record are compared on their own.
  static std::vector<named_value> record_values(int k, const voce_generale& v) {
    std::vector<named_value> out;
    auto add = [&](std::vector<named_value> more) {
      out.insert(out.end(), std::make_move_iterator(more.begin()),
                 std::make_move_iterator(more.end()));
    };
    if (k >= voce::progressiva_tre && k <= voce::progressiva_uno) {
      add({{"position", v.inizio, "m"}, {"value", v.fine}, {"flag", v.posizione}});
      add(raw_fields(v, {"tipo", "ottetto0", "nome", "intero1", "intero2", "intero3", "intero4",
                         "intero5", "ottetto1", "ottetto2", "ottetto3", "ottetto4", "orario"}));
    } else if (k == voce::treno_e_percorso) {
      add({{"braked mass", v.inizio, "%"},
           {"route length", v.fine, "m"},
           {"coaches", v.posizione}});
      add(raw_fields(v, {"tipo", "ottetto0", "nome", "intero1", "intero2", "intero3", "intero4",
                         "intero5", "ottetto1", "ottetto2", "ottetto3", "ottetto4", "orario"}));
    } else if (k == voce::percorso) {
      add({{"name", utf8_text(v.nome), "", true},
           {"sfondo uno", v.inizio},
           {"sfondo due", v.posizione},
           {"sfondo tre", v.fine}});
      add(raw_fields(v, {"tipo", "ottetto0", "intero2", "intero3", "intero4", "intero5", "ottetto1",
                         "ottetto2", "ottetto3", "ottetto4"}));
    } else if (k == voce::treno) {
      add({{"name", utf8_text(v.nome), "", true},
           {"signal repetition from", v.inizio, "m"},
           {"signal repetition to", v.fine, "m"},
           {"codes", v.posizione},
           {"sand", v.intero1},
           {"clock", clock_text(v.intero3 * 3600 + v.intero4 * 60 + v.intero5)}});
      add(raw_fields(v, {"tipo", "ottetto0", "intero2", "ottetto1", "ottetto2", "ottetto3",
                         "ottetto4", "orario"}));
    } else {
      add(raw_fields(v, {"tipo", "inizio", "fine", "posizione", "ottetto0", "nome", "intero1",
                         "intero2", "intero3", "intero4", "intero5", "ottetto1", "ottetto2",
                         "ottetto3", "ottetto4", "orario"}));
    }
    return out;
  }

  // Records 1 to 80 are stations and text boards, compared with the objects that use them.
  void compare_records() {
    for (int k : {0, 81, 82, 83, 84, 85, 86}) {
      const voce_generale &x = voci_a_[static_cast<std::size_t>(k)],
                          &y = voci_b_[static_cast<std::size_t>(k)];
      if (x == y) continue;
      std::vector<field_change> fields = differing(record_values(k, x), record_values(k, y));
      if (fields.empty()) continue;
      change c;
      c.group = change_group::records;
      c.kind = change_kind::changed;
      c.record = k;
      c.name = record_role(k);
      c.fields = std::move(fields);
      out_.push_back(std::move(c));
    }
  }

  // The identity codes follow from the route and train names: with other names they differ as a
  // matter of course, and the names' change says it. With the same names, a code that differs
  // (and a stamp, at any time) comes from something else and is shown.
  void compare_identity() {
    const voce_generale &ra = voci_a_[voce::percorso], &rb = voci_b_[voce::percorso];
    const bool same_names =
        ra.nome == rb.nome && voci_a_[voce::treno].nome == voci_b_[voce::treno].nome;
    const cella &ca = cell_at(a_, 1), &cb = cell_at(b_, 1);
    std::vector<named_value> before = {{"cell 1 stamp", ca.valore1},
                                       {"route record stamp", ra.intero1}};
    std::vector<named_value> after = {{"cell 1 stamp", cb.valore1},
                                      {"route record stamp", rb.intero1}};
    if (same_names) {
      before.push_back({"plain code", ca.valore2});
      before.push_back({"position-weighted code", ra.orario});
      after.push_back({"plain code", cb.valore2});
      after.push_back({"position-weighted code", rb.orario});
    }
    std::vector<field_change> fields = differing(before, after);
    if (fields.empty()) return;
    change c;
    c.group = change_group::identity;
    c.kind = change_kind::changed;
    c.fields = std::move(fields);
    out_.push_back(std::move(c));
  }

  // ---- the track plan

  void compare_plans() {
    if (!plan_a_ && !plan_b_) return;
    if (!plan_a_ || !plan_b_) {
      const track_points& only = plan_a_ ? *plan_a_ : *plan_b_;
      change c;
      c.group = change_group::track_plan;
      c.kind = plan_a_ ? change_kind::removed : change_kind::added;
      c.object = "the line geometry, " + std::to_string(only.points()) + " points";
      out_.push_back(std::move(c));
      return;
    }
    const track_points &pa = *plan_a_, &pb = *plan_b_;
    const std::size_t na = pa.points(), nb = pb.points(), n = std::max(na, nb);
    const value_kind *ka = pa.kinds(), *kb = pb.kinds();
    const double *va = pa.values(), *vb = pb.values();
    auto has = [](const value_kind* k, std::size_t points, std::size_t m) {
      return m < points && k[m] != value_kind::empty && k[points + m] != value_kind::empty;
    };
    enum state { same, apart, only_a, only_b };
    const double limit = plan_tolerance_m * plan_tolerance_m;
    struct stretch {
      state s = same;
      std::size_t first = 0, last = 0;
      double largest = 0;
      std::size_t largest_at = 0;
    } open;
    auto flush = [&]() {
      if (open.s == same) return;
      change c;
      c.group = change_group::track_plan;
      c.at_m = static_cast<long long>(open.first);
      c.to_m = static_cast<long long>(open.last) + 1;
      if (open.s == apart) {
        c.kind = change_kind::changed;
        c.distance_m = std::sqrt(open.largest);
        c.distance_at_m = static_cast<long long>(open.largest_at);
      } else {
        c.kind = open.s == only_a ? change_kind::removed : change_kind::added;
        c.object = "points only in one plan";
      }
      out_.push_back(std::move(c));
      open = stretch{};
    };
    for (std::size_t m = 0; m < n; ++m) {
      const bool in_a = has(ka, na, m), in_b = has(kb, nb, m);
      state s = same;
      double d2 = 0;
      if (in_a && in_b) {
        const double dx = va[m] - vb[m], dy = va[na + m] - vb[nb + m];
        d2 = dx * dx + dy * dy;
        if (d2 > limit) s = apart;
      } else if (in_a != in_b) {
        s = in_a ? only_a : only_b;
      }
      if (s == same) continue;
      if (s != open.s || m - open.last > static_cast<std::size_t>(plan_gap_m)) {
        flush();
        open.s = s;
        open.first = m;
      }
      open.last = m;
      if (d2 > open.largest) open.largest = d2, open.largest_at = m;
    }
    flush();
  }

  const cells_t& a_;
  const cells_t& b_;
  const tabella_voci& voci_a_;
  const tabella_voci& voci_b_;
  const track_points* plan_a_;
  const track_points* plan_b_;
  std::size_t cells_;
  std::vector<char> covered_;          // cells whose every difference a change accounts for
  std::vector<char> explained_marks_;  // approach marks that a reported object wrote
  std::vector<change> out_;
};

}  // namespace

std::vector<change> compare_scenarios(const scenario_view& a, const scenario_view& b) {
  return comparison(a, b).run();
}

std::string group_title(change_group g) {
  switch (g) {
    case change_group::stations:
      return "stations";
    case change_group::signals:
      return "signals";
    case change_group::restrictions:
      return "speed restrictions";
    case change_group::speed_boards:
      return "speed boards";
    case change_group::text_boards:
      return "text boards";
    case change_group::cut_points:
      return "code cut points";
    case change_group::approach_marks:
      return "approach marks";
    case change_group::other_cells:
      return "other cell contents";
    case change_group::speed_limit:
      return "speed limit";
    case change_group::gradient:
      return "gradient";
    case change_group::adhesion:
      return "adhesion";
    case change_group::scenery:
      return "scenery";
    case change_group::records:
      return "general records";
    case change_group::identity:
      return "identity codes";
    case change_group::track_plan:
      return "track plan";
  }
  return "";
}

std::string kind_word(change_kind k) {
  switch (k) {
    case change_kind::added:
      return "added";
    case change_kind::removed:
      return "removed";
    case change_kind::moved:
      return "moved";
    case change_kind::changed:
      return "changed";
  }
  return "";
}

std::string value_words(const diff_value& v, bool quoted) {
  if (const long long* n = std::get_if<long long>(&v)) return std::to_string(*n);
  if (const double* d = std::get_if<double>(&v)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", *d);
    return buf;
  }
  if (const std::string* s = std::get_if<std::string>(&v)) return quoted ? "\"" + *s + "\"" : *s;
  return "none";
}

std::string change_words(const change& c) {
  std::string head;
  if (!c.name.empty()) head = c.group == change_group::stations ? "\"" + c.name + "\"" : c.name;
  std::string place;
  if (c.from_m) {
    char shift[32];
    std::snprintf(shift, sizeof shift, "%+lld", *c.at_m - *c.from_m);
    place = std::to_string(*c.from_m) + " -> " + std::to_string(*c.at_m) + " m (" + shift + " m)";
  } else if (c.at_m && c.to_m) {
    place = std::to_string(*c.at_m) + " to " + metres(*c.to_m);
  } else if (c.at_m) {
    place = "at " + metres(*c.at_m);
  }
  if (!place.empty()) head += (head.empty() ? "" : " ") + place;

  std::string details;
  if (!c.fields.empty()) {
    for (const field_change& f : c.fields) {
      if (!details.empty()) details += ", ";
      if (!f.field.empty()) details += f.field + " ";
      details += value_words(f.before, f.quoted) + " -> " + value_words(f.after, f.quoted);
      if (!f.unit.empty()) details += " " + f.unit;
    }
  } else if (c.distance_m) {
    details = "largest distance " + value_words(*c.distance_m) + " m at " +
              metres(c.distance_at_m.value_or(0));
  } else if (c.kind != change_kind::changed &&
             !(c.group == change_group::stations && c.kind == change_kind::moved)) {
    details = c.object;
  }
  if (details.empty()) return head;
  return head.empty() ? details : head + ": " + details;
}

}  // namespace scenario
