// `scenario dump` and `scenario plot`, run as the built program on a compiled fixture: what a
// transcript cannot show (JSON documents compared field by field, damaged files made from compiled
// ones, every cell, the drawing itself). The words are in data/golden/dump/ and data/golden/plot/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "output/compiled_decoders.h"
#include "support/case_name.h"
#include "support/paths.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::contains;
using test_support::fixture_path;
using test_support::PrintTo;
using test_support::program_output;
using test_support::temp_dir;

// Runs the tool with `args` from inside `dir`.
program_output run_tool(const temp_dir& dir, const std::vector<std::string>& args) {
  return test_support::run_program(test_support::tool_path(), args, {dir.path(), {}});
}

// A compile of the Valle fixture: a 40 km route with five stations (one name in Windows-1252),
// signals, a restriction, boards, cut points and curves.
class CompiledFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const program_output r = run_tool(dir, {"compile", fixture_path("Valle_linea.txt"),
                                            fixture_path("Valle_R 12-.txt"), "-o", "."});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  std::vector<cella> cells() const { return *decode_route_cells(dir.read("Valle_R 12.dat")).value; }
  temp_dir dir;
};

TEST_F(CompiledFixture, DumpOfEachKindInJson) {
  const nlohmann::json c =
      nlohmann::json::parse(run_tool(dir, {"dump", "--json", "Valle_R 12.dat"}).out);
  std::size_t objects = 0;
  for (const cella& x : cells()) objects += x.tipo != 0;
  EXPECT_EQ(c["objects"].size(), objects);
  EXPECT_EQ(c["identity"]["valore1"], 5121);
  const nlohmann::json& station = c["objects"][size_t{0}];
  EXPECT_EQ(station["object"], "station end");
  EXPECT_EQ(station["name"], "Valle Alta");
  EXPECT_EQ(c["runs"]["speed_limit_kmh"][1]["value"], 100);
  EXPECT_EQ(c["runs"]["gradient_per_mille"][3]["value"], -8);

  const nlohmann::json s =
      nlohmann::json::parse(run_tool(dir, {"dump", "--json", "Valle_R 12.sim"}).out);
  ASSERT_EQ(s["records"].size(), 11u);  // 5 stations, 2 boards, 81, 84, 85, 86
  EXPECT_EQ(s["records"][2]["nome"], "Citt\xC3\xA0 Nuova");
  EXPECT_EQ(s["records"][2]["time"], "08:44:00");
  EXPECT_EQ(s["records"][10]["role"], "train");
  EXPECT_EQ(s["records"][10]["clock"], "08:30:00");
  // The stored fields keep their names; "fields" says what they mean, a station as its line
  // wrote it.
  const nlohmann::json& fields = s["records"][2]["fields"];
  EXPECT_EQ(fields["length_m"], 600);
  EXPECT_EQ(fields["values_4_to_13"], nlohmann::json({1, 1, 0, 3, 1, 0, 2, 1, 1, 1}));
  EXPECT_EQ(fields["kind_gives"], "area centred on P");
  EXPECT_EQ(s["records"][7]["fields"]["value_on_its_line"], 5000);  // flag 0: as stored
  EXPECT_EQ(s["records"][10]["fields"]["sand"], 150);

  const nlohmann::json g = nlohmann::json::parse(
      run_tool(dir, {"dump", "--json", "--step", "10000", "Valle_linea.dat"}).out);
  EXPECT_EQ(g["points"], 47001);
  EXPECT_EQ(g["samples"].size(), 6u);  // 0 to 40000, then the last point with a value
  EXPECT_EQ(g["samples"][5]["m"], 46998);
  EXPECT_GT(g["length_m"].get<double>(), 46990.0);
}

// --all adds one line per cell to what the dump says without it: the index and the cell's values
// in the order of the file.
TEST_F(CompiledFixture, DumpOfEveryCell) {
  const program_output summary = run_tool(dir, {"dump", "Valle_R 12.dat"});
  const program_output all = run_tool(dir, {"dump", "--all", "Valle_R 12.dat"});
  ASSERT_EQ(all.status, 0) << all.err;
  ASSERT_EQ(all.out.rfind(summary.out, 0), 0u);
  std::istringstream rows(all.out.substr(summary.out.size()));
  std::string line;
  std::getline(rows, line);
  EXPECT_EQ(line, "");
  std::getline(rows, line);
  EXPECT_EQ(line,
            "every cell: index tipo valore1..4 tempo preavviso montagna velocita_limite pendenza "
            "aderenza");
  const std::vector<cella> expected = cells();
  std::size_t index = 0;
  for (; std::getline(rows, line); ++index) {
    std::istringstream fields(line);
    long i = -1;
    int v[11] = {};
    fields >> i;
    for (int& x : v) fields >> x;
    ASSERT_EQ(i, static_cast<long>(index)) << line;
    ASSERT_LT(index, expected.size());
    const cella& c = expected[index];
    EXPECT_EQ(
        (std::vector<int>(std::begin(v), std::end(v))),
        (std::vector<int>{c.tipo, c.valore1, c.valore2, c.valore3, c.valore4, c.tempo, c.preavviso,
                          c.montagna, c.velocita_limite, c.pendenza, c.aderenza}))
        << line;
  }
  EXPECT_EQ(index, expected.size());
}

// A name that does not tell the kind: refused, unless --kind tells it.
TEST_F(CompiledFixture, KindGivenForANameThatDoesNotTellIt) {
  dir.write("copy.bin", dir.read("Valle_R 12.sim"));
  const program_output refused = run_tool(dir, {"dump", "copy.bin"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err,
            "scenario: error: cannot tell the kind of \"copy.bin\" from its name (_linea.dat, "
            ".sim, .dat): give --kind\n");
  const program_output as_scenario = run_tool(dir, {"dump", "--kind", "scenario", "copy.bin"});
  std::string expected = run_tool(dir, {"dump", "Valle_R 12.sim"}).out;
  expected.replace(0, std::string("Valle_R 12.sim").size(), "copy.bin");
  EXPECT_EQ(as_scenario.status, 0) << as_scenario.err;
  EXPECT_EQ(as_scenario.out, expected);
}

struct damaged_case {
  const char* what;
  const char* name;
  std::string (*bytes)(const temp_dir& compiled);
  const char* message;
};

// `bytes` with those from `at` on replaced by `put`.
std::string with_bytes(const std::string& bytes, std::size_t at, const std::string& put) {
  return bytes.substr(0, at) + put + bytes.substr(at + put.size());
}

const damaged_case damaged_cases[] = {
    {"cell file cut short", "cut.dat",
     [](const temp_dir& d) {
       const std::string cells = d.read("Valle_R 12.dat");
       return cells.substr(0, cells.size() - 1);
     },
     "byte offset 14100: expected a whole 15-byte cell record (14 bytes left)"},
    {"scenario file cut short", "cut.sim",
     [](const temp_dir& d) { return d.read("Valle_R 12.sim").substr(0, 100); },
     "byte offset 100: expected record 2 field intero1 (the file ends at 100)"},
    {"scenario file with a byte more", "long.sim",
     [](const temp_dir& d) { return d.read("Valle_R 12.sim") + "x"; },
     "byte offset 3050: expected the end of the file after record 86 (1 byte more)"},
    // Record 1 claims a name of 32639 bytes.
    {"name longer than the file", "name.sim",
     [](const temp_dir& d) { return with_bytes(d.read("Valle_R 12.sim"), 34 + 14, "\x7F\x7F"); },
     "byte offset 50: expected record 1 name of 32639 bytes (only 3000 left)"},
    // The tag of the second value.
    {"unknown value tag", "tag_linea.dat",
     [](const temp_dir& d) { return with_bytes(d.read("Valle_linea.dat"), 4, "\x09"); },
     "byte offset 4: expected a value tag 0, 2, 3 or 5, found 9"},
    {"geometry cut inside a value", "cut_linea.dat",
     [](const temp_dir& d) { return d.read("Valle_linea.dat").substr(0, 13); },
     "byte offset 10: expected 8 bytes of value 2 (the file ends at 13)"},
    {"empty geometry", "empty_linea.dat", [](const temp_dir&) { return std::string(); },
     "byte offset 0: expected a tagged value (the file is empty)"},
};

class DamagedFile : public ::testing::TestWithParam<damaged_case> {};

// The file and the offset, in words and with --json alike; with --json the same message is the
// document's error.
TEST_P(DamagedFile, NamesTheFileAndTheOffset) {
  const damaged_case& d = GetParam();
  temp_dir dir;
  ASSERT_EQ(run_tool(dir, {"compile", fixture_path("Valle_linea.txt"),
                           fixture_path("Valle_R 12-.txt"), "-o", "."})
                .status,
            0);
  dir.write(d.name, d.bytes(dir));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"dump", d.name}, {"dump", "--json", d.name}}) {
    const program_output r = run_tool(dir, args);
    const std::string message = std::string(d.name) + ": damaged at " + d.message;
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "scenario: error: " + message + "\n");
    if (args.size() == 2) {
      EXPECT_EQ(r.out, "");
    } else {
      const nlohmann::json doc = nlohmann::json::parse(r.out);
      EXPECT_EQ(doc["error"], message);
      EXPECT_EQ(doc["exit_status"], 2);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(, DamagedFile, ::testing::ValuesIn(damaged_cases),
                         test_support::name_from_what{});

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
  const program_output r = run_tool(dir, {"plot", "Valle_R 12.dat", "-o", "plot.svg"});
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

// A name may hold any byte; the SVG and the JSON documents must still be read by any parser.
TEST(ToolPlot, CharactersXmlForbidsNeverReachADocument) {
  const std::string nonchar = "\xEF\xBF\xBE", control = "\x01", replaced = "\xEF\xBF\xBD";
  temp_dir dir;
  dir.write("F_linea.txt",
            "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\n"
            "cartello_indicatore, 500, (Km" +
                nonchar + ")(a" + control + "b)\r\n[fine]\r\n");
  dir.write("F_T-.txt", "[generale]\r\n[fine]\r\n");
  ASSERT_EQ(run_tool(dir, {"compile", "F_linea.txt", "F_T-.txt", "-q"}).status, 0);
  ASSERT_EQ(run_tool(dir, {"plot", "F_T.dat", "-o", "f.svg"}).status, 0);
  const std::string svg = dir.read("f.svg");
  const std::string mended = "(Km" + replaced + ")(a" + replaced + "b)";
  EXPECT_EQ(xml_fault(svg), "");
  EXPECT_TRUE(contains(svg, mended));
  const std::string json = run_tool(dir, {"dump", "--json", "F_T.sim"}).out;
  EXPECT_FALSE(contains(json, nonchar));
  EXPECT_TRUE(contains(json, "\"" + mended + "\""));
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
  ASSERT_EQ(run_tool(dir, {"export", "-o", "."}).status, 0);
  ASSERT_EQ(run_tool(dir, {"compile", "Roma_Pisa_linea.txt", "Roma_Pisa_EXPR 368-.txt", "-o", "."})
                .status,
            0);
  const program_output r =
      run_tool(dir, {"plot", "Roma_Pisa_EXPR 368.dat", "-o", "plot.svg", "--running-speed"});
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
  ASSERT_EQ(run_tool(dir, {"compile", "--no-geometry", fixture_path("Valle_linea.txt"),
                           fixture_path("Valle_R 12-.txt"), "-o", "."})
                .status,
            0);
  const program_output r = run_tool(dir, {"plot", "Valle_R 12.dat", "-o", "plot.svg"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = dir.read("plot.svg");
  EXPECT_EQ(xml_fault(svg), "");
  EXPECT_FALSE(contains(svg, "id=\"plan\""));
  EXPECT_TRUE(contains(svg, "the profile alone is drawn"));
  EXPECT_TRUE(contains(svg, "Valle Bassa"));
}

// A damaged file named on the command line stops the plot before its file is written.
TEST(ToolPlot, DamagedScenarioFileWritesNoPlot) {
  temp_dir dir;
  ASSERT_EQ(run_tool(dir, {"compile", fixture_path("Valle_linea.txt"),
                           fixture_path("Valle_R 12-.txt"), "-o", "."})
                .status,
            0);
  dir.write("bad.sim", "\x01");
  const program_output bad =
      run_tool(dir, {"plot", "Valle_R 12.dat", "--scenario", "bad.sim", "-o", "other.svg"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err,
            "scenario: error: bad.sim: damaged at byte offset 1: expected record 0 field inizio "
            "(the file ends at 1)\n");
  EXPECT_FALSE(dir.exists("other.svg"));
}

}  // namespace
}  // namespace scenario
