// `scenario diff` and `scenario plot --compare` on pairs made by one small edit of the built-in
// scenario: the exact report, in words and as JSON, and the marks of the comparison plot.
#include "tool/diff_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "content/documents.h"
#include "support/temp_dir.h"
#include "tool/compile_command.h"
#include "tool/plot_command.h"

namespace scenario {
namespace {

using test_support::temp_dir;

const std::string line_name = "Roma_Pisa_linea.txt";
const std::string train_name = "Roma_Pisa_EXPR 368-.txt";

// The built-in pair in `a/`, and in `b/` the same with `from` replaced by `to` in one file.
struct edited_pair {
  temp_dir dir;
  std::vector<std::string> inputs;

  edited_pair(bool in_line_file, const std::string& from, const std::string& to) {
    const std::vector<text_document> docs = built_in_documents(built_in_route, built_in_train);
    std::string line = docs[0].bytes(), train = docs[1].bytes();
    std::string& edited = in_line_file ? line : train;
    const std::size_t at = edited.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    EXPECT_EQ(edited.find(from, at + 1), std::string::npos) << "more than one " << from;
    std::filesystem::create_directories(dir.file("a"));
    std::filesystem::create_directories(dir.file("b"));
    dir.write("a/" + line_name, docs[0].bytes());
    dir.write("a/" + train_name, docs[1].bytes());
    if (at != std::string::npos) edited.replace(at, from.size(), to);
    dir.write("b/" + line_name, line);
    dir.write("b/" + train_name, train);
    inputs = {dir.file("a/" + line_name), dir.file("a/" + train_name), dir.file("b/" + line_name),
              dir.file("b/" + train_name)};
  }
};

struct diff_run {
  int status;
  std::string out, err;
};

diff_run diff(const std::vector<std::string>& inputs, bool json = false, bool stat = false) {
  diff_options o;
  o.inputs = inputs;
  o.json = json;
  o.stat = stat;
  std::ostringstream out, err;
  const int status = run_diff(o, out, err);
  return {status, out.str(), err.str()};
}

struct edit_case {
  const char* name;
  bool in_line_file;
  const char* from;
  const char* to;
  const char* text;     // the report in words
  const char* changes;  // the "changes" of the JSON report
};

const edit_case edit_cases[] = {
    {"StationMoved", false, "stazione,  128000, 22", "stazione,  128200, 22",
     "stations:\n"
     "  moved    \"Chiarone\" 128000 -> 128200 m (+200 m)\n",
     R"([{"group": "stations", "change": "moved", "at_m": 128200, "from_m": 128000,
          "name": "Chiarone", "record": 17,
          "object": "kind 22, area 128000 to 128400 m, time 00:00:00", "fields": []}])"},
    {"SignalAdded", false, "segnale,   18900,",
     "segnale,   18200,   2, 4, 1,  1, 0,    0,  0,0,0, 0\r\nsegnale,   18900,",
     "signals:\n"
     "  added    at 18200 m: s 4/1/1, d 0/0/0, sx 2, dx 0, rapp 0\n",
     R"([{"group": "signals", "change": "added", "at_m": 18200, "cell": 365,
          "object": "s 4/1/1, d 0/0/0, sx 2, dx 0, rapp 0", "fields": []}])"},
    {"SpeedChanged", false, "velocita,   12050,    90", "velocita,   12050,   100",
     "speed limit:\n"
     "  changed  12050 to 14000 m: 90 -> 100 km/h\n",
     R"([{"group": "speed_limit", "change": "changed", "at_m": 12050, "to_m": 14000,
          "fields": [{"field": null, "old": 90, "new": 100, "unit": "km/h"}]}])"},
    {"CurveClassChanged", true, "curvad5,  2250,  500", "curvad4,  2250,  500",
     "track plan:\n"
     "  changed  2264 to 340999 m: largest distance 150435.62 m at 340998 m\n",
     R"([{"group": "track_plan", "change": "changed", "at_m": 2264, "to_m": 340999,
          "largest_distance_m": 150435.62, "largest_at_m": 340998, "fields": []}])"},
    {"NameChanged", false, "Maccarese-Fregene", "Maccarese",
     "stations:\n"
     "  changed  \"Maccarese\" at 31100 m: name \"Maccarese-Fregene\" -> \"Maccarese\"\n",
     R"([{"group": "stations", "change": "changed", "at_m": 31100, "name": "Maccarese",
          "record": 7, "object": "kind 22, area 30950 to 31250 m, time 00:00:00",
          "fields": [{"field": "name", "old": "Maccarese-Fregene", "new": "Maccarese"}]}])"},
};

class BuiltInEdit : public ::testing::TestWithParam<edit_case> {};

TEST_P(BuiltInEdit, IsReportedExactlyInWordsAndJson) {
  const edit_case& e = GetParam();
  const edited_pair pair(e.in_line_file, e.from, e.to);

  const diff_run text = diff(pair.inputs);
  EXPECT_EQ(text.status, 1) << text.err;
  EXPECT_EQ(text.out, e.text);
  EXPECT_EQ(text.err, "");

  const diff_run json = diff(pair.inputs, true);
  EXPECT_EQ(json.status, 1);
  const nlohmann::json doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(doc["changes"], nlohmann::json::parse(e.changes));
  EXPECT_EQ(doc["identical"], false);
  EXPECT_EQ(doc["total"], 1);
  EXPECT_EQ(doc["exit_status"], 1);
  EXPECT_EQ(doc["b"]["train_scenario"], pair.inputs[3]);
}

INSTANTIATE_TEST_SUITE_P(Diff, BuiltInEdit, ::testing::ValuesIn(edit_cases),
                         [](const ::testing::TestParamInfo<edit_case>& info) {
                           return std::string(info.param.name);
                         });

TEST(Diff, IdenticalPairsPrintNothingAndExitZero) {
  const edited_pair pair(false, "[fine]", "[fine]");
  const diff_run text = diff(pair.inputs);
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out, "");
  EXPECT_EQ(text.err, "");
  EXPECT_EQ(diff(pair.inputs, false, true).out, "");

  const diff_run json = diff(pair.inputs, true);
  EXPECT_EQ(json.status, 0);
  const nlohmann::json doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(doc["identical"], true);
  EXPECT_EQ(doc["changes"], nlohmann::json::array());
  EXPECT_EQ(doc["exit_status"], 0);
}

// Compiles the pair in `sub/` into `out_sub/`; returns its route cell file.
std::string compiled(const temp_dir& dir, const std::string& sub) {
  compile_options o;
  o.line_path = dir.file(sub + "/" + line_name);
  o.train_path = dir.file(sub + "/" + train_name);
  o.output_dir = dir.file("out_" + sub);
  std::ostringstream out, err;
  EXPECT_EQ(run_compile(o, out, err), 0) << err.str();
  return o.output_dir + "/Roma_Pisa_EXPR 368.dat";
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(PlotCompare, MarksAChangedStationOnTheProfileAndThePlan) {
  const edited_pair pair(false, "stazione,  128000, 22", "stazione,  128200, 22");
  const std::string a = compiled(pair.dir, "a"), b = compiled(pair.dir, "b");
  auto plot = [&](const std::string& other) {
    plot_options o;
    o.cell_path = a;
    o.output = pair.dir.file("plot.svg");
    o.compare = other;
    std::ostringstream out, err;
    EXPECT_EQ(run_plot(o, out, err), 0) << err.str();
    return pair.dir.read("plot.svg");
  };
  const std::string svg = plot(b);
  EXPECT_EQ(count(svg, "class=\"difference\""), 2u);  // a band on the profile, a ring on the plan
  EXPECT_EQ(count(svg, "stations: moved &quot;Chiarone&quot; 128000 -&gt; 128200 m (+200 m)"), 2u);
  EXPECT_EQ(count(svg, "Compared with " + b + ": 1 change, shaded"), 1u);
  EXPECT_EQ(count(svg, "track of the compared scenario"), 1u);

  const std::string same = plot(a);
  EXPECT_EQ(count(same, "class=\"difference\""), 0u);
  EXPECT_EQ(count(same, ": 0 changes."), 1u);
}

}  // namespace
}  // namespace scenario
