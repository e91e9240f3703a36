// `scenario dump` and `scenario plot`, run as the built program on a compiled fixture.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "output/compiled_decoders.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::temp_dir;

const std::string data_dir = std::string(TEST_DATA_DIR) + "/tool/";

struct run_result {
  int status;
  std::string out;
  std::string err;
};

// Runs the tool with `arguments` (already quoted for the shell) from inside `dir`.
run_result run_tool(const temp_dir& dir, const std::string& arguments) {
  const std::string command = "cd '" + dir.path() + "' && '" + TEST_BIN_DIR + "/scenario' " +
                              arguments + " >stdout.txt 2>stderr.txt";
  const int raw = std::system(command.c_str());
  run_result r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, dir.read("stdout.txt"),
               dir.read("stderr.txt")};
  std::filesystem::remove(dir.file("stdout.txt"));
  std::filesystem::remove(dir.file("stderr.txt"));
  return r;
}

bool contains(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

// A compile of the Valle fixture: a 40 km route with five stations (one name in Windows-1252),
// signals, a restriction, boards, cut points and curves.
class CompiledFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const run_result r = run_tool(
        dir, "compile '" + data_dir + "Valle_linea.txt' '" + data_dir + "Valle_R 12-.txt' -o .");
    ASSERT_EQ(r.status, 0) << r.err;
  }
  std::vector<cella> cells() const { return *decode_route_cells(dir.read("Valle_R 12.dat")).value; }
  temp_dir dir;
};

TEST_F(CompiledFixture, DumpOfEachKindInWordsAndJson) {
  const run_result cells_text = run_tool(dir, "dump 'Valle_R 12.dat'");
  EXPECT_EQ(cells_text.status, 0) << cells_text.err;
  for (const char* fact : {"941 cells (0 to 940)", "identity: cell 1 valore1 5121",
                           "cell     22      1100 m  signal: s 3/1/1, d 2/1/1, sx 2, dx 2, rapp 0, "
                           "tempo 160",
                           "restriction start: 60 km/h, f_tt 1", "restriction approach cell 4",
                           "station end: station 3 \"Citt\xC3\xA0 Nuova\"",
                           "text board: record 80 \"(  Cippo  )(Km 5+000)\"",
                           "speed-limit board: left 75/80/85 km/h, right 75/80/85 km/h",
                           "code cut point: value 180 (spacing marker)", "1000 to    12000 m  100",
                           "10000 to    18000 m  -8"})
    EXPECT_TRUE(contains(cells_text.out, fact)) << fact;
  EXPECT_FALSE(contains(cells_text.out, "every cell"));
  EXPECT_TRUE(contains(run_tool(dir, "dump --all 'Valle_R 12.dat'").out, "every cell"));

  const run_result cells_json = run_tool(dir, "dump --json 'Valle_R 12.dat'");
  const nlohmann::json c = nlohmann::json::parse(cells_json.out);
  std::size_t objects = 0;
  for (const cella& x : cells()) objects += x.tipo != 0;
  EXPECT_EQ(c["objects"].size(), objects);
  EXPECT_EQ(c["identity"]["valore1"], 5121);
  const nlohmann::json& station = c["objects"][size_t{0}];
  EXPECT_EQ(station["object"], "station end");
  EXPECT_EQ(station["name"], "Valle Alta");
  EXPECT_EQ(c["runs"]["speed_limit_kmh"][1]["value"], 100);
  EXPECT_EQ(c["runs"]["gradient_per_mille"][3]["value"], -8);

  const run_result sim_text = run_tool(dir, "dump 'Valle_R 12.sim'");
  for (const char* fact :
       {"record  3  station \"Citt\xC3\xA0 Nuova\": kind 4, position 19000 m, area 18700 to 19300 "
        "m, "
        "time 08:44:00",
        "record 79  text board \"(Km 28+000)\"",
        "record 84  train and route data: braked mass 110 %", "record 85  route \"Valle\"",
        "record 86  train \"R 12\": signal repetition 1000 to 39000 m, "
        "9 codes, sand 150, clock 08:30:00"})
    EXPECT_TRUE(contains(sim_text.out, fact)) << fact;
  EXPECT_FALSE(contains(sim_text.out, "record  0"));  // empty records are left out
  EXPECT_TRUE(contains(run_tool(dir, "dump --all 'Valle_R 12.sim'").out, "record  0  empty"));

  const nlohmann::json s = nlohmann::json::parse(run_tool(dir, "dump --json 'Valle_R 12.sim'").out);
  ASSERT_EQ(s["records"].size(), 11u);  // 5 stations, 2 boards, 81, 84, 85, 86
  EXPECT_EQ(s["records"][2]["nome"], "Citt\xC3\xA0 Nuova");
  EXPECT_EQ(s["records"][2]["time"], "08:44:00");
  EXPECT_EQ(s["records"][10]["role"], "train");
  EXPECT_EQ(s["records"][10]["clock"], "08:30:00");

  const run_result geo_text = run_tool(dir, "dump Valle_linea.dat --step 10000");
  for (const char* fact : {"47001 points (0 to 47000): 46997 computed, 2 empty",
                           "last point with "
                           "a value: 46998",
                           "     10000        1185.612        9795.034"})
    EXPECT_TRUE(contains(geo_text.out, fact)) << fact;
  const nlohmann::json g =
      nlohmann::json::parse(run_tool(dir, "dump --json --step 10000 Valle_linea.dat").out);
  EXPECT_EQ(g["points"], 47001);
  EXPECT_EQ(g["samples"].size(), 6u);  // 0 to 40000, then the last point with a value
  EXPECT_EQ(g["samples"][5]["m"], 46998);
  EXPECT_GT(g["length_m"].get<double>(), 46990.0);

  // A name that does not tell the kind.
  dir.write("copy.bin", dir.read("Valle_R 12.sim"));
  EXPECT_EQ(run_tool(dir, "dump copy.bin").status, 2);
  EXPECT_TRUE(contains(run_tool(dir, "dump --kind scenario copy.bin").out, "route \"Valle\""));
}

TEST_F(CompiledFixture, DamagedFilesNameTheFileAndTheOffset) {
  const std::string cells = dir.read("Valle_R 12.dat");
  const std::string sim = dir.read("Valle_R 12.sim");
  const std::string geometry = dir.read("Valle_linea.dat");
  std::string bad_tag = geometry;
  bad_tag[4] = 9;  // the tag of the second value
  std::string long_name = sim;
  long_name[34 + 14] = '\x7F';  // record 1 claims a name of 32767 + ... bytes
  long_name[34 + 15] = '\x7F';
  struct damaged {
    const char* name;
    std::string bytes;
    const char* message;
  };
  const damaged cases[] = {
      {"cut.dat", cells.substr(0, cells.size() - 1), "byte offset 14100: expected a whole 15-byte"},
      {"cut.sim", sim.substr(0, 100), "byte offset 100: expected record 2 field intero1"},
      {"long.sim", sim + "x", "byte offset 3050: expected the end of the file after record 86"},
      {"name.sim", long_name, "byte offset 50: expected record 1 name of 32639 bytes"},
      {"tag_linea.dat", bad_tag, "byte offset 4: expected a value tag 0, 2, 3 or 5, found 9"},
      {"cut_linea.dat", geometry.substr(0, 13), "byte offset 10: expected 8 bytes of value 2"},
      {"empty_linea.dat", "", "byte offset 0: expected a tagged value (the file is empty)"},
  };
  for (const damaged& d : cases) {
    SCOPED_TRACE(d.name);
    dir.write(d.name, d.bytes);
    for (const char* json : {"", "--json "}) {
      const run_result r = run_tool(dir, std::string("dump ") + json + d.name);
      EXPECT_EQ(r.status, 2);
      EXPECT_EQ(r.out, "");
      EXPECT_TRUE(contains(r.err, d.name)) << r.err;
      EXPECT_TRUE(contains(r.err, d.message)) << r.err;
    }
  }
  const run_result missing = run_tool(dir, "dump nothing.dat");
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(contains(missing.err, "nothing.dat")) << missing.err;
}

// Well-formedness of an XML document: one root, tags nested and closed, attributes quoted,
// entities known. Returns an empty string when the document is sound, else what is wrong.
std::string xml_fault(const std::string& s) {
  std::vector<std::string> open;
  bool root_seen = false;
  std::size_t i = 0;
  auto name_at = [&](std::size_t& k) {
    const std::size_t start = k;
    while (k < s.size() && (std::isalnum(static_cast<unsigned char>(s[k])) || s[k] == '-' ||
                            s[k] == '_' || s[k] == ':' || s[k] == '.'))
      ++k;
    return s.substr(start, k - start);
  };
  auto entity_ok = [&](std::size_t k) {
    const std::size_t semi = s.find(';', k);
    if (semi == std::string::npos || semi - k > 10) return false;
    const std::string e = s.substr(k + 1, semi - k - 1);
    if (e == "amp" || e == "lt" || e == "gt" || e == "quot" || e == "apos") return true;
    if (e.size() < 2 || e[0] != '#') return false;
    const bool hex = e[1] == 'x';
    if (hex && e.size() < 3) return false;
    return std::all_of(e.begin() + (hex ? 2 : 1), e.end(), [&](char c) {
      return hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                 : std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
  };
  while (i < s.size()) {
    if (s[i] == '&' && !entity_ok(i)) return "bad entity at " + std::to_string(i);
    if (s[i] != '<') {
      if (open.empty() && !std::isspace(static_cast<unsigned char>(s[i])))
        return "text outside the root at " + std::to_string(i);
      ++i;
      continue;
    }
    if (s.compare(i, 5, "<?xml") == 0 && i == 0) {
      i = s.find("?>", i);
      if (i == std::string::npos) return "unclosed declaration";
      i += 2;
      continue;
    }
    if (s.compare(i, 4, "<!--") == 0) {
      i = s.find("-->", i);
      if (i == std::string::npos) return "unclosed comment";
      i += 3;
      continue;
    }
    if (s.compare(i, 2, "</") == 0) {
      std::size_t k = i + 2;
      const std::string name = name_at(k);
      if (open.empty() || open.back() != name) return "unexpected </" + name + ">";
      open.pop_back();
      if (k >= s.size() || s[k] != '>') return "bad end tag " + name;
      i = k + 1;
      continue;
    }
    std::size_t k = i + 1;
    const std::string name = name_at(k);
    if (name.empty()) return "bad tag at " + std::to_string(i);
    if (open.empty() && root_seen) return "second root " + name;
    std::set<std::string> attributes;
    for (;;) {
      while (k < s.size() && std::isspace(static_cast<unsigned char>(s[k]))) ++k;
      if (k >= s.size()) return "unclosed tag " + name;
      if (s[k] == '>' || s.compare(k, 2, "/>") == 0) break;
      const std::string attribute = name_at(k);
      if (attribute.empty() || !attributes.insert(attribute).second || k + 1 >= s.size() ||
          s[k] != '=' || (s[k + 1] != '"' && s[k + 1] != '\''))
        return "bad attribute in " + name + " at " + std::to_string(k);
      const std::size_t close = s.find(s[k + 1], k + 2);
      if (close == std::string::npos) return "unclosed attribute in " + name;
      for (std::size_t a = k + 2; a < close; ++a) {
        if (s[a] == '<') return "< in an attribute of " + name;
        if (s[a] == '&' && !entity_ok(a)) return "bad entity in an attribute of " + name;
      }
      k = close + 1;
    }
    root_seen = true;
    if (s[k] == '>') {
      open.push_back(name);
      i = k + 1;
    } else {
      i = k + 2;
    }
  }
  if (!open.empty()) return "unclosed <" + open.back() + ">";
  return root_seen ? "" : "no root";
}

TEST(XmlCheck, CatchesWhatBreaksADocument) {
  EXPECT_EQ(xml_fault("<?xml version=\"1.0\"?>\n<a x=\"1\"><b/>t &amp; u<c>v</c></a>\n"), "");
  for (const char* bad : {"<a><b></a></b>", "<a>", "<a x=1/>", "<a x=\"1\" x=\"2\"/>", "<a/><b/>",
                          "<a>R&D</a>", "<a t=\"<\"/>", "text<a/>"})
    EXPECT_NE(xml_fault(bad), "") << bad;
}

// The cells named by the marks of a plot, each mark holding a title.
std::multiset<std::size_t> marked_cells(const std::string& svg) {
  std::multiset<std::size_t> cells;
  const std::string head = "<g class=\"mark ";
  for (std::size_t at = svg.find(head); at != std::string::npos; at = svg.find(head, at + 1)) {
    const std::size_t cell = svg.find("data-cell=\"", at);
    const std::size_t end = svg.find("</g>", at);
    const std::size_t title = svg.find("<title>", at);
    if (cell == std::string::npos || end == std::string::npos || title > end) continue;
    cells.insert(std::stoul(svg.substr(cell + 11)));
  }
  return cells;
}

TEST_F(CompiledFixture, PlotIsWellFormedWithStationsAndOneMarkPerObject) {
  const run_result r = run_tool(dir, "plot 'Valle_R 12.dat' -o plot.svg");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = dir.read("plot.svg");
  EXPECT_EQ(xml_fault(svg), "");
  EXPECT_TRUE(contains(svg, "id=\"plan\""));
  for (const char* name :
       {"Valle Alta", "Poggio", "Citt\xC3\xA0 Nuova", "Fermata Ponte", "Valle Bassa"})
    EXPECT_TRUE(contains(svg, std::string(">") + name + "<")) << name;

  std::set<std::size_t> objects;  // every cell with an object but scenery marks, drawn as spans
  const std::vector<cella> c = cells();
  for (std::size_t i = 0; i < c.size(); ++i)
    if (c[i].tipo != tipo_cella::nulla && c[i].tipo != tipo_cella::montagna) objects.insert(i);
  const std::multiset<std::size_t> marked = marked_cells(svg);
  EXPECT_EQ(std::set<std::size_t>(marked.begin(), marked.end()), objects);
  EXPECT_EQ(marked.size(), objects.size());  // no cell twice, no mark without a title
}

// The numbers of every attribute `name` in the elements of `svg` that contain `marker`.
std::vector<std::vector<double>> elements_with(const std::string& svg, const std::string& tag,
                                               const std::string& marker) {
  std::vector<std::vector<double>> out;
  for (std::size_t at = svg.find("<" + tag + " "); at != std::string::npos;
       at = svg.find("<" + tag + " ", at + 1)) {
    const std::string element = svg.substr(at, svg.find('>', at) - at);
    if (element.find(marker) == std::string::npos) continue;
    std::vector<double> numbers;
    for (const char* name : {"x1=\"", "y1=\"", "x2=\"", "y2=\""}) {
      const std::size_t v = element.find(name);
      if (v != std::string::npos) numbers.push_back(std::stod(element.substr(v + 4)));
    }
    out.push_back(numbers);
  }
  return out;
}

bool segments_cross(const std::vector<double>& p, const std::vector<double>& q) {
  auto side = [](double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
  };
  const double d1 = side(q[0], q[1], q[2], q[3], p[0], p[1]);
  const double d2 = side(q[0], q[1], q[2], q[3], p[2], p[3]);
  const double d3 = side(p[0], p[1], p[2], p[3], q[0], q[1]);
  const double d4 = side(p[0], p[1], p[2], p[3], q[2], q[3]);
  return d1 * d2 < 0 && d3 * d4 < 0;
}

// The built-in scenario: its plan in its own frame, leader lines that never cross, the line speed
// only over the route, the run's speed on request, and a legend entry for each kind of mark.
TEST(ToolPlot, TheBuiltInScenarioDrawnAsReadersNeedIt) {
  temp_dir dir;
  ASSERT_EQ(run_tool(dir, "export -o .").status, 0);
  ASSERT_EQ(run_tool(dir, "compile Roma_Pisa_linea.txt 'Roma_Pisa_EXPR 368-.txt' -o .").status, 0);
  const run_result r = run_tool(dir, "plot 'Roma_Pisa_EXPR 368.dat' -o plot.svg --running-speed");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = dir.read("plot.svg");
  EXPECT_EQ(xml_fault(svg), "");
  EXPECT_TRUE(contains(svg, "Plan in the route's own frame (not geo-referenced"));
  EXPECT_FALSE(contains(svg, "north"));
  EXPECT_FALSE(contains(svg, ">N</text>"));

  const std::string plan = svg.substr(svg.find("id=\"plan\""), svg.find("id=\"profile\""));
  const std::vector<std::vector<double>> leaders =
      elements_with(plan, "line", "stroke=\"#999\" stroke-width=\"0.7\"");
  EXPECT_GT(leaders.size(), 3u);
  for (std::size_t i = 0; i < leaders.size(); ++i)
    for (std::size_t j = i + 1; j < leaders.size(); ++j)
      EXPECT_FALSE(segments_cross(leaders[i], leaders[j])) << i << " and " << j;

  // The end of the route is drawn as a dashed line; the line speed stops there.
  const std::vector<std::vector<double>> end =
      elements_with(svg, "line", "stroke-dasharray=\"4,3\"");
  ASSERT_EQ(end.size(), 1u);
  const std::size_t speed = svg.find("<title>line speed limit</title>");
  ASSERT_NE(speed, std::string::npos);
  const std::size_t path = svg.rfind(" d=\"", speed);
  std::istringstream points(svg.substr(path + 4, svg.find('"', path + 4) - path - 4));
  double furthest = 0;
  for (std::string p; points >> p;) furthest = std::max(furthest, std::stod(p.substr(1)));
  EXPECT_LE(furthest, end[0][0] + 0.1);

  EXPECT_TRUE(contains(svg, "<title>speed of the run of the timetable card</title>"));
  const std::string legend = svg.substr(svg.find("id=\"legend\""));
  for (const char* entry :
       {"track (plan)", "station (plan)", "start of the route (plan)", "kilometre (plan)",
        "station end cell", "line speed limit", "speed of the run", "signal", "code cut point",
        "speed-limit boards", "text board", "scenery", "adhesion", "uphill", "downhill",
        "end of the route"})
    EXPECT_TRUE(contains(legend, std::string(">") + entry)) << entry;
}

TEST(ToolPlot, WithoutGeometryDrawsTheProfileAloneAndSaysSo) {
  temp_dir dir;
  ASSERT_EQ(run_tool(dir, "compile --no-geometry '" + data_dir + "Valle_linea.txt' '" + data_dir +
                              "Valle_R 12-.txt' -o .")
                .status,
            0);
  const run_result r = run_tool(dir, "plot 'Valle_R 12.dat' -o plot.svg");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = dir.read("plot.svg");
  EXPECT_EQ(xml_fault(svg), "");
  EXPECT_FALSE(contains(svg, "id=\"plan\""));
  EXPECT_TRUE(contains(svg, "the profile alone is drawn"));
  EXPECT_TRUE(contains(svg, "Valle Bassa"));

  // A damaged file named on the command line stops the plot.
  dir.write("bad.sim", "\x01");
  const run_result bad = run_tool(dir, "plot 'Valle_R 12.dat' --scenario bad.sim -o other.svg");
  EXPECT_EQ(bad.status, 2);
  EXPECT_TRUE(contains(bad.err, "bad.sim: damaged at byte offset 1")) << bad.err;
  EXPECT_FALSE(dir.exists("other.svg"));
}

TEST(ToolDumpPlot, UsageErrors) {
  temp_dir dir;
  EXPECT_EQ(run_tool(dir, "dump --help").status, 0);
  EXPECT_EQ(run_tool(dir, "plot --help").status, 0);
  EXPECT_EQ(run_tool(dir, "dump").status, 2);
  EXPECT_EQ(run_tool(dir, "plot x.dat").status, 2);  // no -o
  const run_result kind = run_tool(dir, "dump --kind bogus x.dat");
  EXPECT_EQ(kind.status, 2);
  EXPECT_TRUE(contains(kind.err, "unknown kind \"bogus\"")) << kind.err;
  EXPECT_EQ(run_tool(dir, "dump --step 0 x.dat").status, 2);
}

}  // namespace
}  // namespace scenario
