#include "tool/plot_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>

#include "tool/compiled_view.h"
#include "tool/text_encoding.h"

namespace scenario {

namespace {

constexpr double page_width = 1600;
constexpr double margin_left = 110;
constexpr double margin_right = 30;
constexpr double char_width = 6.4;  // of the 11 px sans-serif labels, a little generous

// Colours by kind of object.
constexpr const char* colour_track = "#555";
constexpr const char* colour_station = "#222";
constexpr const char* colour_signal = "#1b8a3a";
constexpr const char* colour_restriction = "#d62728";
constexpr const char* colour_speed = "#1f5fbf";
constexpr const char* colour_board = "#1f9fbf";
constexpr const char* colour_text_board = "#8e44ad";
constexpr const char* colour_cut = "#e67e00";
constexpr const char* colour_up = "#b5651d";
constexpr const char* colour_down = "#2a8c8c";
constexpr const char* colour_scenery = "#c8b49a";
constexpr const char* colour_compare = "#c2185b";
constexpr const char* colour_running = "#e377c2";

std::string esc(std::string_view text) {
  const std::string s = without_forbidden_characters(text);
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  std::string s = buf;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  if (s == "-0") s = "0";
  return s;
}

std::string km(double metres) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f km", metres / 1000.0);
  return buf;
}

std::string title(const std::string& text) {
  return "<title>" + esc(text) + "</title>";
}

double text_width(const std::string& utf8, double size = 11) {
  std::size_t chars = 0;
  for (char c : utf8)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;
  return static_cast<double>(chars) * char_width * size / 11.0;
}

// A step of 1, 2 or 5 times a power of ten, near `rough`.
double nice_step(double rough) {
  if (rough <= 0) return 1;
  const double p = std::pow(10.0, std::floor(std::log10(rough)));
  for (double f : {1.0, 2.0, 5.0, 10.0})
    if (f * p >= rough) return f * p;
  return 10 * p;
}

struct box {
  double x0, y0, x1, y1;
  bool overlaps(const box& o, double pad = 2) const {
    return x0 < o.x1 + pad && o.x0 < x1 + pad && y0 < o.y1 + pad && o.y0 < y1 + pad;
  }
};

struct segment {
  double x0, y0, x1, y1;
};

// Which side of the line through a the point c lies on.
double side(double ax, double ay, double bx, double by, double cx, double cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

bool crosses(const segment& p, const segment& q) {
  const double d1 = side(q.x0, q.y0, q.x1, q.y1, p.x0, p.y0);
  const double d2 = side(q.x0, q.y0, q.x1, q.y1, p.x1, p.y1);
  const double d3 = side(p.x0, p.y0, p.x1, p.y1, q.x0, q.y0);
  const double d4 = side(p.x0, p.y0, p.x1, p.y1, q.x1, q.y1);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

bool crosses(const segment& s, const box& b) {
  const auto inside = [&](double x, double y) {
    return x > b.x0 && x < b.x1 && y > b.y0 && y < b.y1;
  };
  if (inside(s.x0, s.y0) || inside(s.x1, s.y1)) return true;
  const segment edges[] = {{b.x0, b.y0, b.x1, b.y0},
                           {b.x1, b.y0, b.x1, b.y1},
                           {b.x1, b.y1, b.x0, b.y1},
                           {b.x0, b.y1, b.x0, b.y0}};
  return std::any_of(std::begin(edges), std::end(edges),
                     [&](const segment& e) { return crosses(s, e); });
}

// Labels and leader lines placed so far in one area; a label that would touch a label or a
// leader, or whose leader would cross one, is left out.
struct label_space {
  std::vector<box> taken;
  std::vector<segment> leaders;
  bool free(const box& b) const {
    return std::none_of(taken.begin(), taken.end(), [&](const box& t) { return t.overlaps(b); }) &&
           std::none_of(leaders.begin(), leaders.end(),
                        [&](const segment& l) { return crosses(l, b); });
  }
  bool free(const segment& leader) const {
    return std::none_of(taken.begin(), taken.end(),
                        [&](const box& t) { return crosses(leader, t); }) &&
           std::none_of(leaders.begin(), leaders.end(),
                        [&](const segment& l) { return crosses(leader, l); });
  }
};

struct station_info {
  int record;
  std::string name;  // UTF-8
  long_t position, inizio, fine, orario;
  int kind;
};

std::vector<station_info> stations_of(const tabella_voci* voci) {
  std::vector<station_info> out;
  if (!voci) return out;
  for (int k = voce::prima_stazione; k < voce::primo_cartello; ++k) {
    const voce_generale& v = (*voci)[static_cast<std::size_t>(k)];
    if (!is_station_record(v)) continue;
    out.push_back({k, utf8_text(v.nome), v.posizione, v.inizio, v.fine, v.orario, v.tipo});
  }
  return out;
}

std::string station_title(const station_info& s) {
  return "station " + std::to_string(s.record) + " \"" + s.name + "\": position " +
         std::to_string(s.position) + " m, area " + std::to_string(s.inizio) + " to " +
         std::to_string(s.fine) + " m, kind " + std::to_string(s.kind) + ", time " +
         clock_text(s.orario);
}

class plot_writer {
 public:
  explicit plot_writer(const plot_input& in) : in_(in), cells_(*in.cells) {
    route_end_ = cell_position(cells_.size());
    if (in.compare) {
      const std::vector<cella>& other = *in.compare->cells;
      route_end_ = std::max(route_end_, cell_position(other.size()));
      other_written_.assign(other.begin(),
                            other.end() - static_cast<long>(other.size() > 3 ? 3 : 0));
    }
    if (in.voci && (*in.voci)[voce::treno_e_percorso].fine > 0)
      route_length_ = (*in.voci)[voce::treno_e_percorso].fine;
    stations_ = stations_of(in.voci);
    // The reader leaves the last three cells' line properties unwritten (0, so a gradient of
    // -100); they would only squash the scales.
    written_.assign(cells_.begin(), cells_.end() - static_cast<long>(cells_.size() > 3 ? 3 : 0));
  }

  std::string render() {
    double y = 16;
    std::ostringstream head;
    head << "<text x=\"20\" y=\"" << y + 14 << "\" class=\"title\">" << esc(in_.title)
         << "</text>\n";
    y += 24;
    for (const std::string& n : in_.notes) {
      head << "<text x=\"20\" y=\"" << y + 12 << "\" class=\"note\">" << esc(n) << "</text>\n";
      y += 17;
    }
    y += 8;
    if (in_.plan) y = draw_plan(y) + 18;
    y = draw_profile(y);
    y = draw_legend(y + 10);
    if (in_.compare) y = draw_compare_legend(y - 8);

    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << num(page_width) << "\" height=\""
        << num(y) << "\" viewBox=\"0 0 " << num(page_width) << " " << num(y)
        << "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"11\">\n"
        << "<style>.title{font-size:17px;font-weight:bold}.note{font-size:12px;fill:#a33}"
           ".lane{font-size:11px;fill:#333;font-weight:bold}.axis{font-size:10px;fill:#444}"
           ".small{font-size:9.5px;fill:#444}.grid{stroke:#e4e4e4;stroke-width:1}"
           ".mark:hover{opacity:0.6}</style>\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << head.str() << body_.str() << "</svg>\n";
    return svg.str();
  }

 private:
  // ---- the plan

  double draw_plan(double top) {
    const track_points& t = *in_.plan;
    // Points with both coordinates.
    std::vector<std::size_t> at;
    const std::size_t stride = std::max<std::size_t>(1, t.points() / 4000);
    double min_x = 0, max_x = 0, min_y = 0, max_y = 0;
    bool any = false;
    for (std::size_t m = 0; m < t.points(); ++m) {
      if (t.get(m, 0).kind == value_kind::empty || t.get(m, 1).kind == value_kind::empty) continue;
      const double x = t.x(m), y = t.y(m);
      if (!std::isfinite(x) || !std::isfinite(y)) continue;
      if (!any) min_x = max_x = x, min_y = max_y = y, any = true;
      min_x = std::min(min_x, x), max_x = std::max(max_x, x);
      min_y = std::min(min_y, y), max_y = std::max(max_y, y);
      if (m % stride == 0 || at.empty() || m == t.points() - 1) at.push_back(m);
    }
    // The compared plan, on the same scale.
    std::vector<std::size_t> other_at;
    const track_points* other = in_.compare && any ? in_.compare->plan : nullptr;
    if (other) {
      const std::size_t other_stride = std::max<std::size_t>(1, other->points() / 4000);
      for (std::size_t m = 0; m < other->points(); ++m) {
        if (!has_point(*other, m)) continue;
        const double x = other->x(m), y = other->y(m);
        min_x = std::min(min_x, x), max_x = std::max(max_x, x);
        min_y = std::min(min_y, y), max_y = std::max(max_y, y);
        if (m % other_stride == 0 || other_at.empty() || m == other->points() - 1)
          other_at.push_back(m);
      }
    }
    const double height = 520;
    body_ << "<g id=\"plan\">\n";
    body_ << "<text x=\"20\" y=\"" << top + 12
          << "\" class=\"lane\">Plan in the route's own frame (not geo-referenced: "
             "the route starts up the page)</text>\n";
    if (!any) {
      body_ << "<text x=\"" << margin_left << "\" y=\"" << top + 40
            << "\" class=\"note\">The line geometry file holds no point.</text>\n</g>\n";
      return top + 60;
    }
    // Equal scale on both axes: the true shape.
    const double box_x0 = margin_left, box_x1 = page_width - margin_right;
    const double box_y0 = top + 24, box_y1 = top + height;
    const double span_x = std::max(max_x - min_x, 1.0), span_y = std::max(max_y - min_y, 1.0);
    const double scale =
        std::min((box_x1 - box_x0 - 120) / span_x, (box_y1 - box_y0 - 60) / span_y);
    const double off_x = box_x0 + ((box_x1 - box_x0) - span_x * scale) / 2;
    const double off_y = box_y0 + ((box_y1 - box_y0) - span_y * scale) / 2;
    auto px = [&](double x) { return off_x + (x - min_x) * scale; };
    auto py = [&](double y) { return off_y + (max_y - y) * scale; };
    auto point_of = [&](long_t metres, double& x, double& y) {
      if (metres < 0 || static_cast<std::size_t>(metres) >= t.points()) return false;
      const std::size_t m = static_cast<std::size_t>(metres);
      if (t.get(m, 0).kind == value_kind::empty || t.get(m, 1).kind == value_kind::empty)
        return false;
      x = px(t.x(m)), y = py(t.y(m));
      return true;
    };

    body_ << "<rect x=\"" << box_x0 << "\" y=\"" << box_y0 << "\" width=\"" << box_x1 - box_x0
          << "\" height=\"" << box_y1 - box_y0 << "\" fill=\"#fbfbf8\" stroke=\"#ddd\"/>\n";
    body_ << "<polyline fill=\"none\" stroke=\"" << colour_track
          << "\" stroke-width=\"2.2\" stroke-linejoin=\"round\" points=\"";
    for (std::size_t m : at) body_ << num(px(t.x(m))) << "," << num(py(t.y(m))) << " ";
    body_ << "\">" << title("track, " + std::to_string(at.back()) + " m of plan")
          << "</polyline>\n";
    if (other) draw_compare_plan(*other, other_at, px, py);

    label_space labels;
    // Start and end of the route.
    double sx, sy;
    if (point_of(0, sx, sy)) labels.taken.push_back({sx - 5, sy - 5, sx + 5, sy + 5});
    // Stations: dots first, so that no label covers one.
    struct placed {
      const station_info* s;
      double x, y;
    };
    std::vector<placed> dots;
    for (const station_info& s : stations_) {
      double x, y;
      if (!point_of(s.position, x, y)) continue;
      dots.push_back({&s, x, y});
      labels.taken.push_back({x - 4, y - 4, x + 4, y + 4});
    }
    for (const placed& d : dots)
      body_ << "<circle cx=\"" << num(d.x) << "\" cy=\"" << num(d.y)
            << "\" r=\"4\" fill=\"white\" stroke=\"" << colour_station << "\" stroke-width=\"2\">"
            << title(station_title(*d.s)) << "</circle>\n";
    for (const placed& d : dots) {
      const double w = text_width(d.s->name), h = 11;
      // Right, left, above, below, then the diagonals.
      std::vector<std::pair<double, double>> cand = {{8, 4},       {-8 - w, 4}, {-w / 2, -8},
                                                     {-w / 2, 16}, {7, -6},     {-7 - w, -6},
                                                     {7, 14},      {-7 - w, 14}};
      // In a crowd, further out to either side, joined to the dot by a leader line.
      for (double dx : {30.0, 55.0, 80.0, 110.0})
        for (double dy : {4.0, -8.0, 16.0, -20.0, 28.0}) {
          cand.push_back({dx, dy});
          cand.push_back({-dx - w, dy});
        }
      for (const auto& c : cand) {
        const box b{d.x + c.first, d.y + c.second - h + 2, d.x + c.first + w, d.y + c.second + 2};
        if (b.x0 < box_x0 || b.x1 > box_x1 || b.y0 < box_y0 || b.y1 > box_y1 || !labels.free(b))
          continue;
        const bool far = c.first >= 30 || c.first + w <= -30;
        const double lx = c.first > 0 ? b.x0 - 2 : b.x1 + 2;
        // The leader starts just off the dot, whose own box it leaves.
        const double dx = lx - d.x, dy = d.y + c.second - 3 - d.y;
        const double length = std::max(std::hypot(dx, dy), 1.0);
        const segment leader{d.x + dx / length * 5, d.y + dy / length * 5, lx, d.y + c.second - 3};
        if (far && !labels.free(leader)) continue;
        labels.taken.push_back(b);
        if (far) {
          labels.leaders.push_back(leader);
          body_ << "<line x1=\"" << num(d.x) << "\" y1=\"" << num(d.y) << "\" x2=\"" << num(lx)
                << "\" y2=\"" << num(d.y + c.second - 3)
                << "\" stroke=\"#999\" stroke-width=\"0.7\"/>";
        }
        body_ << "<text x=\"" << num(b.x0) << "\" y=\"" << num(d.y + c.second) << "\" fill=\""
              << colour_station << "\">" << esc(d.s->name) << title(station_title(*d.s))
              << "</text>\n";
        break;
      }
    }
    // Kilometre ticks along the track, to find a place of the profile on the plan.
    const double step = nice_step(static_cast<double>(route_end_) / 12);
    for (double m = step; m < static_cast<double>(t.points()); m += step) {
      double x, y;
      if (!point_of(static_cast<long_t>(m), x, y)) continue;
      const std::string text = num(m / 1000) + " km";
      const double w = text_width(text, 9.5);
      for (const auto& c : {std::pair{5.0, -4.0}, std::pair{-5.0 - w, -4.0}, std::pair{5.0, 12.0},
                            std::pair{-5.0 - w, 12.0}}) {
        const box b{x + c.first, y + c.second - 9, x + c.first + w, y + c.second + 1};
        if (b.x0 < box_x0 || b.x1 > box_x1 || b.y0 < box_y0 || b.y1 > box_y1 || !labels.free(b))
          continue;
        labels.taken.push_back(b);
        body_ << "<circle cx=\"" << num(x) << "\" cy=\"" << num(y)
              << "\" r=\"1.8\" fill=\"#999\"/><text x=\"" << num(b.x0) << "\" y=\""
              << num(y + c.second) << "\" class=\"small\" fill=\"#888\">" << text << "</text>\n";
        break;
      }
    }
    if (point_of(0, sx, sy))
      body_ << "<circle cx=\"" << num(sx) << "\" cy=\"" << num(sy) << "\" r=\"5\" fill=\""
            << colour_signal << "\">" << title("start of the route (0 m)") << "</circle>\n";

    // Scale bar, bottom left.
    double bar_m = nice_step(std::max(span_x, span_y) / 5);
    if (bar_m * scale > 260) bar_m /= 2;
    const double bar_px = bar_m * scale;
    const double bx = box_x0 + 16, by = box_y1 - 16;
    for (int i = 0; i < 4; ++i)
      body_ << "<rect x=\"" << num(bx + i * bar_px / 4) << "\" y=\"" << num(by - 5) << "\" width=\""
            << num(bar_px / 4) << "\" height=\"5\" fill=\"" << (i % 2 ? "white" : "#333")
            << "\" stroke=\"#333\"/>\n";
    const std::string bar_text = bar_m >= 1000 ? num(bar_m / 1000) + " km" : num(bar_m) + " m";
    body_ << "<text x=\"" << num(bx) << "\" y=\"" << num(by - 9) << "\" class=\"axis\">0</text>"
          << "<text x=\"" << num(bx + bar_px) << "\" y=\"" << num(by - 9)
          << "\" class=\"axis\" text-anchor=\"middle\">" << bar_text << "</text>\n";
    body_ << "</g>\n";
    return box_y1;
  }

  // ---- the profile

  double kx(double metres) const {
    return margin_left +
           metres / static_cast<double>(route_end_) * (page_width - margin_left - margin_right);
  }
  double cell_x(std::size_t i) const { return kx(static_cast<double>(cell_position(i))); }

  void lane_label(double y, const std::string& text, const std::string& unit = "") {
    body_ << "<text x=\"12\" y=\"" << num(y) << "\" class=\"lane\">" << esc(text) << "</text>\n";
    if (!unit.empty())
      body_ << "<text x=\"12\" y=\"" << num(y + 13) << "\" class=\"small\">" << esc(unit)
            << "</text>\n";
  }

  void mark_open(std::size_t i, const char* kind) {
    body_ << "<g class=\"mark " << kind << "\" data-cell=\"" << i << "\">";
  }
  void mark_close(std::size_t i) {
    body_ << title(std::string(at_cell(i)) + describe_object(cells_[i], in_.voci)) << "</g>\n";
  }
  std::string at_cell(std::size_t i) const {
    return km(static_cast<double>(cell_position(i))) + " (cell " + std::to_string(i) + "): ";
  }

  double draw_profile(double top) {
    const double x0 = kx(0), x1 = kx(static_cast<double>(route_end_));
    body_ << "<g id=\"profile\">\n";
    body_ << "<text x=\"20\" y=\"" << top + 12
          << "\" class=\"lane\">Profile along the route</text>\n";
    const double axis_y = top + 30;
    const double step = nice_step(static_cast<double>(route_end_) / 16);
    // Lanes, top to bottom.
    const double stations_top = axis_y + 6, stations_h = stations_.empty() ? 30 : 74;
    const double speed_top = stations_top + stations_h + 8, speed_h = 170;
    const double objects_top = speed_top + speed_h + 10, row_h = 22;
    const double gradient_top = objects_top + static_cast<int>(object_rows) * row_h + 10,
                 gradient_h = 120;
    const double bottom = gradient_top + gradient_h;

    // Kilometre axis with a grid across all lanes, at the top and the bottom.
    for (double m = 0; m <= static_cast<double>(route_end_) + 0.5; m += step) {
      const double x = kx(m);
      body_ << "<line x1=\"" << num(x) << "\" y1=\"" << num(axis_y) << "\" x2=\"" << num(x)
            << "\" y2=\"" << num(bottom) << "\" class=\"grid\"/>";
      for (double ty : {axis_y - 4, bottom + 14})
        body_ << "<text x=\"" << num(x) << "\" y=\"" << num(ty)
              << "\" class=\"axis\" text-anchor=\"middle\">" << num(m / 1000) << "</text>";
      body_ << "\n";
    }
    body_ << "<text x=\"" << num(x1) << "\" y=\"" << num(bottom + 28)
          << "\" class=\"axis\" text-anchor=\"end\">km from the start of the route</text>\n";
    if (route_length_ > 0 && route_length_ < route_end_) {
      const double x = kx(static_cast<double>(route_length_));
      body_ << "<line x1=\"" << num(x) << "\" y1=\"" << num(axis_y) << "\" x2=\"" << num(x)
            << "\" y2=\"" << num(bottom) << "\" stroke=\"#888\" stroke-dasharray=\"4,3\">"
            << title("end of the route, " + km(route_length_) + "; the cells run on " +
                     km(static_cast<double>(route_end_ - route_length_)))
            << "</line><text x=\"" << num(x + 3) << "\" y=\"" << num(bottom - 4)
            << "\" class=\"small\">end</text>\n";
    }

    profile_bottom_ = bottom;
    draw_stations(stations_top, stations_h);
    draw_speed(speed_top, speed_h, x0, x1);
    draw_objects(objects_top, row_h, x0, x1);
    draw_gradient(gradient_top, gradient_h, x0, x1);
    if (in_.compare) draw_differences(axis_y, bottom);
    body_ << "</g>\n";
    return bottom + 36;
  }

  void draw_stations(double top, double h) {
    lane_label(top + 14, "Stations");
    if (stations_.empty()) {
      body_ << "<text x=\"" << num(margin_left) << "\" y=\"" << num(top + 16)
            << "\" class=\"small\">"
            << (in_.voci ? "no station records" : "no scenario file: stations unknown")
            << "</text>\n";
      return;
    }
    const double base = top + h;  // marks stand on this line, labels in rows above it
    // Areas.
    for (const station_info& s : stations_) {
      const double a = kx(std::max<double>(0, s.inizio)), b = kx(static_cast<double>(s.fine));
      body_ << "<rect x=\"" << num(a) << "\" y=\"" << num(base - 12) << "\" width=\""
            << num(std::max(1.0, b - a)) << "\" height=\"12\" fill=\"#ccc\">"
            << title(station_title(s)) << "</rect>";
      // A faint guide through every lane.
      body_ << "<line x1=\"" << num(kx(s.position)) << "\" y1=\"" << num(base) << "\" x2=\""
            << num(kx(s.position)) << "\" y2=\"" << num(profile_bottom_)
            << "\" stroke=\"#bbb\" stroke-width=\"0.6\" stroke-dasharray=\"2,3\"/>\n";
    }
    // End cells of the stations are the objects.
    for (std::size_t i = 0; i < cells_.size(); ++i) {
      if (cells_[i].tipo != tipo_cella::stazione) continue;
      const double x = cell_x(i);
      mark_open(i, "station");
      body_ << "<path d=\"M" << num(x) << "," << num(base - 14) << " l-4,-7 h8 z\" fill=\""
            << colour_station << "\"/>";
      mark_close(i);
    }
    // Names in up to four rows, nearest the mark first; a name that fits no row is left out
    // (its title still tells).
    // A name in a higher row hangs from a leader that may cross no name below it.
    std::vector<double> row_end(4, -1e9);
    label_space names;
    for (const station_info& s : stations_) {
      const double x = kx(s.position), w = text_width(s.name);
      const double left = std::max(margin_left - 40, x - w / 2);
      for (std::size_t r = 0; r < row_end.size(); ++r) {
        if (left < row_end[r] + 6) continue;
        const double ty = base - 24 - 13 * static_cast<double>(r);
        const segment leader{x, ty + 2, x, base - 20};
        if (r > 0 && !names.free(leader)) continue;
        row_end[r] = left + w;
        names.taken.push_back({left, ty - 9, left + w, ty + 2});
        if (r > 0) names.leaders.push_back(leader);
        body_ << "<text x=\"" << num(left) << "\" y=\"" << num(ty) << "\" fill=\"" << colour_station
              << "\">" << esc(s.name) << title(station_title(s)) << "</text>";
        if (r > 0)
          body_ << "<line x1=\"" << num(x) << "\" y1=\"" << num(ty + 2) << "\" x2=\"" << num(x)
                << "\" y2=\"" << num(base - 20) << "\" stroke=\"#aaa\" stroke-width=\"0.6\"/>";
        body_ << "\n";
        break;
      }
    }
  }

  void draw_speed(double top, double h, double x0, double x1) {
    lane_label(top + 14, "Speed", "km/h");
    int max_speed = 0;
    for (const cella& c : route_cells())
      max_speed = std::max(max_speed, speed_kmh(c.velocita_limite));
    for (const cella& c : other_written_)
      max_speed = std::max(max_speed, speed_kmh(c.velocita_limite));
    for (const cella& c : cells_)
      if (c.tipo == tipo_cella::inizio_rallentamento || c.tipo == tipo_cella::avviso_rallentamento)
        max_speed = std::max<int>(max_speed, c.valore1);
    const double top_speed = std::max(20.0, std::ceil(max_speed / 20.0) * 20);
    auto sy = [&](double v) {
      return top + h - std::clamp(v, 0.0, top_speed) / top_speed * (h - 16);
    };
    for (double v = 0; v <= top_speed; v += top_speed > 100 ? 40 : 20) {
      body_ << "<line x1=\"" << num(x0) << "\" y1=\"" << num(sy(v)) << "\" x2=\"" << num(x1)
            << "\" y2=\"" << num(sy(v)) << "\" class=\"grid\"/><text x=\"" << num(x0 - 4)
            << "\" y=\"" << num(sy(v) + 3) << "\" class=\"axis\" text-anchor=\"end\">" << v
            << "</text>\n";
    }
    // Line speed limit as a step line, over the route and not the cells that run on after its
    // end; its values where there is room.
    std::vector<value_run> runs = runs_of(route_cells(), &cella::velocita_limite);
    body_ << "<path fill=\"none\" stroke=\"" << colour_speed << "\" stroke-width=\"1.8\" d=\"";
    for (std::size_t r = 0; r < runs.size(); ++r) {
      const double v = speed_kmh(static_cast<byte_t>(runs[r].value));
      body_ << (r == 0 ? "M" : "L") << num(cell_x(runs[r].first)) << "," << num(sy(v)) << " L"
            << num(cell_x(runs[r].last + 1)) << "," << num(sy(v)) << " ";
    }
    body_ << "\">" << title("line speed limit") << "</path>\n";
    if (in_.compare) draw_compare_speed(sy);
    double last_label_end = -1e9;
    for (const value_run& r : runs) {
      const int v = speed_kmh(static_cast<byte_t>(r.value));
      const std::string text = std::to_string(v);
      const double a = cell_x(r.first), b = cell_x(r.last + 1);
      body_ << "<rect x=\"" << num(a) << "\" y=\"" << num(sy(v) - 4) << "\" width=\""
            << num(std::max(1.0, b - a)) << "\" height=\"8\" fill=\"transparent\">"
            << title("speed limit " + text + " km/h from " + km(cell_position(r.first)) + " to " +
                     km(cell_position(r.last + 1)))
            << "</rect>";
      if (b - a >= text_width(text, 9.5) + 2 && a >= last_label_end + 4) {
        body_ << "<text x=\"" << num(a + 2) << "\" y=\"" << num(sy(v) - 4)
              << "\" class=\"small\" fill=\"" << colour_speed << "\">" << text << "</text>";
        last_label_end = a + 2 + text_width(text, 9.5);
      }
      body_ << "\n";
    }
    draw_running_speed(sy);
    // Restrictions: a bar at their speed from start to end, the warning and approach cells as
    // marks.
    for (std::size_t i = 0; i < cells_.size(); ++i) {
      const cella& c = cells_[i];
      const double x = cell_x(i);
      switch (c.tipo) {
        case tipo_cella::inizio_rallentamento: {
          std::size_t e = i + 1;
          while (e < cells_.size() && cells_[e].tipo != tipo_cella::fine_rallentamento) ++e;
          if (e < cells_.size()) {
            const double w = std::max(2.0, cell_x(e) - x);
            body_ << "<rect x=\"" << num(x) << "\" y=\"" << num(sy(c.valore1) - 3) << "\" width=\""
                  << num(w) << "\" height=\"6\" fill=\"" << colour_restriction
                  << "\" opacity=\"0.75\">"
                  << title("speed restriction " + std::to_string(c.valore1) + " km/h from " +
                           km(cell_position(i)) + " to " + km(cell_position(e)))
                  << "</rect>";
            const std::string text = std::to_string(c.valore1);
            body_ << "<text x=\"" << num(x + w / 2) << "\" y=\"" << num(sy(c.valore1) + 15)
                  << "\" text-anchor=\"middle\" class=\"small\" fill=\"" << colour_restriction
                  << "\">" << text << "</text>\n";
          }
          mark_open(i, "restriction-start");
          body_ << "<line x1=\"" << num(x) << "\" y1=\"" << num(top + 4) << "\" x2=\"" << num(x)
                << "\" y2=\"" << num(top + h) << "\" stroke=\"" << colour_restriction
                << "\" stroke-width=\"1.2\"/>";
          mark_close(i);
          break;
        }
        case tipo_cella::fine_rallentamento:
          mark_open(i, "restriction-end");
          body_ << "<line x1=\"" << num(x) << "\" y1=\"" << num(top + 4) << "\" x2=\"" << num(x)
                << "\" y2=\"" << num(top + h) << "\" stroke=\"" << colour_restriction
                << "\" stroke-width=\"1.2\" stroke-dasharray=\"3,2\"/>";
          mark_close(i);
          break;
        case tipo_cella::avviso_rallentamento:
          mark_open(i, "restriction-warning");
          body_ << "<path d=\"M" << num(x) << "," << num(top + 2)
                << " l-5,9 h10 z\" fill=\"white\" stroke=\"" << colour_restriction
                << "\" stroke-width=\"1.5\"/>";
          mark_close(i);
          break;
        case tipo_cella::preavviso_rallentamento:
          mark_open(i, "restriction-approach");
          body_ << "<line x1=\"" << num(x) << "\" y1=\"" << num(top + 13) << "\" x2=\"" << num(x)
                << "\" y2=\"" << num(top + 20) << "\" stroke=\"" << colour_restriction
                << "\" stroke-width=\"1\"/>";
          mark_close(i);
          break;
        default:
          break;
      }
    }
  }

  // Rows of the objects lane, top to bottom.
  enum object_row {
    row_signals,
    row_cuts,
    row_speed_boards,
    row_text_boards,
    row_scenery,
    row_adhesion,
    object_rows
  };

  void draw_objects(double top, double row_h, double x0, double x1) {
    const char* names[object_rows] = {"Signals",     "Code cuts", "Speed boards",
                                      "Text boards", "Scenery",   "Adhesion"};
    for (int r = 0; r < object_rows; ++r) {
      const double y = top + r * row_h;
      body_ << "<line x1=\"" << num(x0) << "\" y1=\"" << num(y + row_h) << "\" x2=\"" << num(x1)
            << "\" y2=\"" << num(y + row_h) << "\" class=\"grid\"/><text x=\"12\" y=\""
            << num(y + 15) << "\" class=\"lane\">" << names[r] << "</text>\n";
    }
    auto row = [&](object_row r) { return top + static_cast<int>(r) * row_h; };
    // Thin shapes: in dense stretches (a signal every kilometre on a 300 km route is 4 px apart)
    // they stay apart where round marks would merge into a band.
    for (std::size_t i = 0; i < cells_.size(); ++i) {
      const cella& c = cells_[i];
      const double x = cell_x(i);
      switch (c.tipo) {
        case tipo_cella::segnale: {
          const double y = row(row_signals);
          mark_open(i, "signal");
          body_ << "<line x1=\"" << num(x) << "\" y1=\"" << num(y + 4) << "\" x2=\"" << num(x)
                << "\" y2=\"" << num(y + 19) << "\" stroke=\"" << colour_signal
                << "\" stroke-width=\"1.3\"/><circle cx=\"" << num(x) << "\" cy=\"" << num(y + 5)
                << "\" r=\"2.2\" fill=\"" << colour_signal << "\"/>";
          mark_close(i);
          break;
        }
        case tipo_cella::abbattimento:
        case tipo_cella::abbattimento_nullo: {
          const double y = row(row_cuts);
          const bool marker = c.tipo == tipo_cella::abbattimento && c.valore1 == 180;
          mark_open(i, "code-cut");
          if (marker)  // markers of the spacing pass: hollow, in the lower half of the row
            body_ << "<path d=\"M" << num(x) << "," << num(y + 11) << " l3.5,4.5 l-3.5,4.5 "
                  << "l-3.5,-4.5 z\" fill=\"white\" stroke=\"" << colour_cut
                  << "\" stroke-width=\"1.2\"/>";
          else
            body_ << "<line x1=\"" << num(x) << "\" y1=\"" << num(y + 3) << "\" x2=\"" << num(x)
                  << "\" y2=\"" << num(y + 12) << "\" stroke=\""
                  << (c.tipo == tipo_cella::abbattimento_nullo ? "#999" : colour_cut)
                  << "\" stroke-width=\"2.2\"/>";
          mark_close(i);
          break;
        }
        case tipo_cella::indicatori_v_max: {
          mark_open(i, "speed-board");
          body_ << "<rect x=\"" << num(x - 2.5) << "\" y=\"" << num(row(row_speed_boards) + 5)
                << "\" width=\"5\" height=\"12\" fill=\"" << colour_board << "\"/>";
          mark_close(i);
          break;
        }
        case tipo_cella::cartello_indicatore: {
          mark_open(i, "text-board");
          body_ << "<rect x=\"" << num(x - 2.5) << "\" y=\"" << num(row(row_text_boards) + 5)
                << "\" width=\"5\" height=\"12\" fill=\"white\" stroke=\"" << colour_text_board
                << "\" stroke-width=\"1.6\"/>";
          mark_close(i);
          break;
        }
        default:
          if (c.tipo != tipo_cella::nulla && c.tipo != tipo_cella::montagna &&
              c.tipo != tipo_cella::stazione && !(c.tipo >= 2 && c.tipo <= 5)) {
            // A type the compiler never writes: shown so that it is not missed.
            mark_open(i, "unknown");
            body_ << "<circle cx=\"" << num(x) << "\" cy=\"" << num(row(row_text_boards) + 11)
                  << "\" r=\"4\" fill=\"black\"/>";
            mark_close(i);
          }
          break;
      }
    }
    // Scenery spans.
    for (const value_run& r : runs_of(written_, &cella::montagna)) {
      if (r.value == 0) continue;
      const double a = cell_x(r.first), b = cell_x(r.last + 1);
      body_ << "<rect x=\"" << num(a) << "\" y=\"" << num(row(row_scenery) + 5) << "\" width=\""
            << num(std::max(1.0, b - a)) << "\" height=\"12\" fill=\"" << colour_scenery << "\">"
            << title("scenery type " + std::to_string(r.value) + " from " +
                     km(cell_position(r.first)) + " to " + km(cell_position(r.last + 1)))
            << "</rect>\n";
    }
    // Adhesion as a shade of blue, darker for a better grip, with its value where there is room.
    for (const value_run& r : runs_of(written_, &cella::aderenza)) {
      const double a = cell_x(r.first), b = cell_x(r.last + 1);
      const double t = std::clamp(r.value, 0, 100) / 100.0;
      body_ << "<rect x=\"" << num(a) << "\" y=\"" << num(row(row_adhesion) + 5) << "\" width=\""
            << num(std::max(1.0, b - a)) << "\" height=\"12\" fill=\"rgb(" << num(235 - 90 * t)
            << "," << num(240 - 60 * t) << ",250)\" stroke=\"white\" stroke-width=\"0.5\">"
            << title("adhesion " + std::to_string(r.value) + " from " + km(cell_position(r.first)) +
                     " to " + km(cell_position(r.last + 1)))
            << "</rect>";
      if (b - a > 24)
        body_ << "<text x=\"" << num(a + 3) << "\" y=\"" << num(row(row_adhesion) + 15)
              << "\" class=\"small\">" << r.value << "</text>";
      body_ << "\n";
    }
  }

  void draw_gradient(double top, double h, double x0, double x1) {
    lane_label(top + 14, "Gradient", "per mille");
    const std::vector<value_run> runs = runs_of(written_, &cella::pendenza);
    int steepest = 5;
    for (const value_run& r : runs)
      steepest = std::max(steepest, std::abs(gradient_per_mille(static_cast<byte_t>(r.value))));
    const double limit = std::ceil(steepest / 5.0) * 5;
    const double mid = top + h / 2, half = h / 2 - 6;
    auto gy = [&](double g) { return mid - g / limit * half; };
    for (double g : {-limit, 0.0, limit})
      body_ << "<line x1=\"" << num(x0) << "\" y1=\"" << num(gy(g)) << "\" x2=\"" << num(x1)
            << "\" y2=\"" << num(gy(g)) << "\" " << (g == 0 ? "stroke=\"#999\"" : "class=\"grid\"")
            << "/><text x=\"" << num(x0 - 4) << "\" y=\"" << num(gy(g) + 3)
            << "\" class=\"axis\" text-anchor=\"end\">" << (g > 0 ? "+" : "") << num(g)
            << "</text>\n";
    double last_label_end = -1e9;
    for (const value_run& r : runs) {
      const int g = gradient_per_mille(static_cast<byte_t>(r.value));
      const double a = cell_x(r.first), b = cell_x(r.last + 1);
      const double y = std::min(gy(g), mid), hh = std::max(std::abs(gy(g) - mid), 0.8);
      body_ << "<rect x=\"" << num(a) << "\" y=\"" << num(y) << "\" width=\""
            << num(std::max(0.8, b - a)) << "\" height=\"" << num(hh) << "\" fill=\""
            << (g >= 0 ? colour_up : colour_down) << "\">"
            << title("gradient " + std::string(g > 0 ? "+" : "") + std::to_string(g) +
                     " per mille from " + km(cell_position(r.first)) + " to " +
                     km(cell_position(r.last + 1)))
            << "</rect>";
      const std::string text = (g > 0 ? "+" : "") + std::to_string(g);
      if (g != 0 && b - a >= text_width(text, 9.5) + 2 && a >= last_label_end + 3) {
        const double ty = g > 0 ? gy(g) - 3 : gy(g) + 11;
        body_ << "<text x=\"" << num(a + 1) << "\" y=\"" << num(ty) << "\" class=\"small\">" << text
              << "</text>";
        last_label_end = a + 1 + text_width(text, 9.5);
      }
      body_ << "\n";
    }
  }

  // The legend draws each kind with the shape its marks have.
  double draw_legend(double top) {
    enum shape {
      square,
      hollow,
      tick,
      pin,
      diamond,
      triangle,
      line,
      dashed,
      ring,
      dot,
      short_tick
    };
    struct item {
      const char* colour;
      const char* text;
      shape form;
    };
    std::vector<item> items;
    if (in_.plan)
      items.insert(items.end(), {{colour_track, "track (plan)", line},
                                 {colour_station, "station (plan)", ring},
                                 {colour_signal, "start of the route (plan)", dot},
                                 {"#999", "kilometre (plan)", dot}});
    items.insert(items.end(), {{colour_station, "station end cell", triangle},
                               {"#ccc", "station area", square},
                               {colour_speed, "line speed limit", line}});
    if (!in_.running_speed_kmh.empty()) items.push_back({colour_running, "speed of the run", line});
    items.insert(items.end(), {{colour_restriction, "speed restriction", square},
                               {colour_restriction, "restriction start", tick},
                               {colour_restriction, "restriction end", dashed},
                               {colour_restriction, "restriction warning", hollow},
                               {colour_restriction, "restriction approach cell", short_tick},
                               {colour_signal, "signal", pin},
                               {colour_cut, "code cut point", tick},
                               {colour_cut, "spacing marker (180)", diamond},
                               {colour_board, "speed-limit boards", square},
                               {colour_text_board, "text board", hollow},
                               {colour_scenery, "scenery", square},
                               {"rgb(190,210,250)", "adhesion (darker: better grip)", square},
                               {colour_up, "uphill", square},
                               {colour_down, "downhill", square},
                               {"#888", "end of the route", dashed},
                               {"black", "object of an unknown type", dot}});
    double x = 20, y = top;
    body_ << "<g id=\"legend\">\n";
    for (const item& it : items) {
      const double w = 18 + text_width(it.text) + 16;
      if (x + w > page_width - 20) x = 20, y += 18;
      const std::string c = it.colour;
      const double cx = x + 5.5, cy = y + 5.5;
      switch (it.form) {
        case square:
        case hollow:
          body_ << "<rect x=\"" << num(x) << "\" y=\"" << num(y)
                << "\" width=\"11\" height=\"11\" fill=\"" << (it.form == hollow ? "white" : c)
                << "\" stroke=\"" << c << "\" stroke-width=\"1.5\"/>";
          break;
        case tick:
          body_ << "<line x1=\"" << num(cx) << "\" y1=\"" << num(y) << "\" x2=\"" << num(cx)
                << "\" y2=\"" << num(y + 11) << "\" stroke=\"" << c << "\" stroke-width=\"2.2\"/>";
          break;
        case pin:
          body_ << "<line x1=\"" << num(cx) << "\" y1=\"" << num(y + 2) << "\" x2=\"" << num(cx)
                << "\" y2=\"" << num(y + 12) << "\" stroke=\"" << c
                << "\" stroke-width=\"1.3\"/><circle cx=\"" << num(cx) << "\" cy=\"" << num(y + 3)
                << "\" r=\"2.2\" fill=\"" << c << "\"/>";
          break;
        case diamond:
          body_ << "<path d=\"M" << num(cx) << "," << num(y + 1)
                << " l4.5,4.5 l-4.5,4.5 l-4.5,-4.5 z\" "
                << "fill=\"white\" stroke=\"" << c << "\" stroke-width=\"1.2\"/>";
          break;
        case triangle:
          body_ << "<path d=\"M" << num(cx) << "," << num(y + 9) << " l-4,-7 h8 z\" fill=\"" << c
                << "\"/>";
          break;
        case line:
          body_ << "<line x1=\"" << num(x) << "\" y1=\"" << num(cy) << "\" x2=\"" << num(x + 11)
                << "\" y2=\"" << num(cy) << "\" stroke=\"" << c << "\" stroke-width=\"2\"/>";
          break;
        case dashed:
          body_ << "<line x1=\"" << num(cx) << "\" y1=\"" << num(y) << "\" x2=\"" << num(cx)
                << "\" y2=\"" << num(y + 11) << "\" stroke=\"" << c
                << "\" stroke-width=\"1.2\" stroke-dasharray=\"3,2\"/>";
          break;
        case short_tick:
          body_ << "<line x1=\"" << num(cx) << "\" y1=\"" << num(y + 2) << "\" x2=\"" << num(cx)
                << "\" y2=\"" << num(y + 9) << "\" stroke=\"" << c << "\" stroke-width=\"1\"/>";
          break;
        case ring:
          body_ << "<circle cx=\"" << num(cx) << "\" cy=\"" << num(cy)
                << "\" r=\"4\" fill=\"white\" stroke=\"" << c << "\" stroke-width=\"2\"/>";
          break;
        case dot:
          body_ << "<circle cx=\"" << num(cx) << "\" cy=\"" << num(cy) << "\" r=\"3.5\" fill=\""
                << c << "\"/>";
          break;
      }
      body_ << "<text x=\"" << num(x + 16) << "\" y=\"" << num(y + 10) << "\">" << it.text
            << "</text>\n";
      x += w;
    }
    body_ << "</g>\n";
    return y + 26;
  }

  // ---- a compared scenario

  static bool has_point(const track_points& t, std::size_t m) {
    return t.get(m, 0).kind != value_kind::empty && t.get(m, 1).kind != value_kind::empty &&
           std::isfinite(t.x(m)) && std::isfinite(t.y(m));
  }

  static std::string difference_title(const change& c) {
    return group_title(c.group) + ": " + kind_word(c.kind) + " " + change_words(c);
  }

  void difference_open(std::size_t i) {
    body_ << "<g class=\"difference\" data-change=\"" << i << "\">";
  }

  // The compared track dashed over the first; where the plans part, and where a station changed,
  // marked on it (on the first track for what only the first has).
  void draw_compare_plan(const track_points& other, const std::vector<std::size_t>& at,
                         const auto& px, const auto& py) {
    body_ << "<polyline fill=\"none\" stroke=\"" << colour_compare
          << "\" stroke-width=\"1.6\" stroke-dasharray=\"6,4\" points=\"";
    for (std::size_t m : at) body_ << num(px(other.x(m))) << "," << num(py(other.y(m))) << " ";
    body_ << "\">" << title("track of the compared scenario") << "</polyline>\n";
    const std::vector<change>& changes = in_.compare->changes;
    for (std::size_t i = 0; i < changes.size(); ++i) {
      const change& c = changes[i];
      const track_points& t = c.kind == change_kind::removed ? *in_.plan : other;
      if (c.group == change_group::track_plan && c.at_m && c.to_m) {
        const std::size_t first = static_cast<std::size_t>(*c.at_m);
        const std::size_t last =
            std::min<std::size_t>(static_cast<std::size_t>(*c.to_m), t.points());
        if (first >= last) continue;
        const std::size_t stride = std::max<std::size_t>(1, (last - first) / 2000);
        difference_open(i);
        body_ << "<polyline fill=\"none\" stroke=\"" << colour_compare
              << "\" stroke-width=\"7\" stroke-linejoin=\"round\" opacity=\"0.3\" points=\"";
        for (std::size_t m = first; m < last; m += stride)
          if (has_point(t, m)) body_ << num(px(t.x(m))) << "," << num(py(t.y(m))) << " ";
        body_ << "\"/>" << title(difference_title(c)) << "</g>\n";
      } else if (c.group == change_group::stations && c.at_m && *c.at_m >= 0 &&
                 static_cast<std::size_t>(*c.at_m) < t.points() &&
                 has_point(t, static_cast<std::size_t>(*c.at_m))) {
        const std::size_t m = static_cast<std::size_t>(*c.at_m);
        difference_open(i);
        body_ << "<circle cx=\"" << num(px(t.x(m))) << "\" cy=\"" << num(py(t.y(m)))
              << "\" r=\"8\" fill=\"none\" stroke=\"" << colour_compare << "\" stroke-width=\"2\"/>"
              << title(difference_title(c)) << "</g>\n";
      }
    }
  }

  void draw_compare_speed(const auto& sy) {
    const std::vector<value_run> runs = runs_of(other_written_, &cella::velocita_limite);
    body_ << "<path fill=\"none\" stroke=\"" << colour_compare
          << "\" stroke-width=\"1.5\" stroke-dasharray=\"5,3\" d=\"";
    for (std::size_t r = 0; r < runs.size(); ++r) {
      const double v = speed_kmh(static_cast<byte_t>(runs[r].value));
      body_ << (r == 0 ? "M" : "L") << num(cell_x(runs[r].first)) << "," << num(sy(v)) << " L"
            << num(cell_x(runs[r].last + 1)) << "," << num(sy(v)) << " ";
    }
    body_ << "\">" << title("line speed limit of the compared scenario") << "</path>\n";
  }

  // A shaded band through every lane where something changed, under a marker on the axis that
  // tells what.
  void draw_differences(double axis_y, double bottom) {
    const std::vector<change>& changes = in_.compare->changes;
    for (std::size_t i = 0; i < changes.size(); ++i) {
      const change& c = changes[i];
      if (!c.at_m) continue;
      double from = static_cast<double>(*c.at_m),
             to = static_cast<double>(c.to_m.value_or(*c.at_m));
      if (c.from_m) from = std::min(from, double(*c.from_m)), to = std::max(to, double(*c.from_m));
      const double a = kx(from), w = std::max(2.0, kx(to) - a);
      difference_open(i);
      if (c.group == change_group::track_plan) {  // shown on the plan; a bar on the axis here
        body_ << "<rect x=\"" << num(a) << "\" y=\"" << num(axis_y + 1) << "\" width=\"" << num(w)
              << "\" height=\"4\" fill=\"" << colour_compare << "\" opacity=\"0.6\"/>"
              << title(difference_title(c)) << "</g>\n";
        continue;
      }
      body_ << "<rect x=\"" << num(a) << "\" y=\"" << num(axis_y) << "\" width=\"" << num(w)
            << "\" height=\"" << num(bottom - axis_y) << "\" fill=\"" << colour_compare
            << "\" opacity=\"0.13\" pointer-events=\"none\"/><path d=\"M" << num(a + w / 2) << ","
            << num(axis_y + 8) << " l-4,-7 h8 z\" fill=\"" << colour_compare << "\"/>"
            << title(difference_title(c)) << "</g>\n";
    }
  }

  double draw_compare_legend(double top) {
    const double y = top;
    body_ << "<line x1=\"20\" y1=\"" << num(y + 5.5) << "\" x2=\"31\" y2=\"" << num(y + 5.5)
          << "\" stroke=\"" << colour_compare << "\" stroke-width=\"2\" stroke-dasharray=\"4,2\"/>"
          << "<text x=\"36\" y=\"" << num(y + 10)
          << "\">compared scenario: track and speed limit</text>\n";
    const double x = 36 + text_width("compared scenario: track and speed limit") + 16;
    body_ << "<rect x=\"" << num(x) << "\" y=\"" << num(y)
          << "\" width=\"11\" height=\"11\" fill=\"" << colour_compare
          << "\" opacity=\"0.3\"/><text x=\"" << num(x + 16) << "\" y=\"" << num(y + 10)
          << "\">what differs (its marker tells what)</text>\n";
    return y + 26;
  }

  // The cells of the route itself: up to its length when the scenario file tells it.
  std::vector<cella> route_cells() const {
    if (route_length_ <= 0) return written_;
    const std::size_t n = std::min(written_.size(), static_cast<std::size_t>(route_length_ / 50));
    return {written_.begin(), written_.begin() + static_cast<long>(n)};
  }

  // The speed of the run, over the speed lane's scale.
  void draw_running_speed(const std::function<double(double)>& sy) {
    const std::vector<double>& v = in_.running_speed_kmh;
    if (v.empty()) return;
    body_ << "<polyline fill=\"none\" stroke=\"" << colour_running
          << "\" stroke-width=\"1.4\" points=\"";
    for (std::size_t i = 0; i < v.size(); ++i)
      body_ << num(kx(static_cast<double>(in_.running_start_m) + 50.0 * static_cast<double>(i)))
            << "," << num(sy(v[i])) << " ";
    body_ << "\">" << title("speed of the run of the timetable card") << "</polyline>\n";
  }

  const plot_input& in_;
  const std::vector<cella>& cells_;
  long_t route_end_ = 0;
  long_t route_length_ = 0;
  double profile_bottom_ = 0;
  std::vector<cella> written_;        // the cells whose line properties the reader wrote
  std::vector<cella> other_written_;  // the same of a compared scenario
  std::vector<station_info> stations_;
  std::ostringstream body_;
};

}  // namespace

std::string render_plot(const plot_input& in) {
  return plot_writer(in).render();
}

}  // namespace scenario
