#include "tool/card_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "content/documents.h"
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

run_result card(card_options o) {
  std::ostringstream out, err;
  const int status = run_card(o, out, err);
  return {status, out.str(), err.str()};
}

card_options valle(const temp_dir& dir) {
  card_options o;
  o.line_path = data_dir + "Valle_linea.txt";
  o.train_path = data_dir + "Valle_R 12-.txt";
  o.output = dir.file("card.txt");
  return o;
}

TEST(ToolCard, WritesTheCardAndTheProfile) {
  temp_dir dir;
  card_options o = valle(dir);
  o.profile = dir.file("profile.csv");
  const run_result r = card(o);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("card.txt") + "\n");
  const std::string text = dir.read("card.txt");
  EXPECT_EQ(text.substr(0, 5), ")\r\n\r\n");
  EXPECT_NE(text.find(" |   TRENO n. 12   |"), std::string::npos);
  EXPECT_NE(text.find("|Citt\xE0 Nuova           |"), std::string::npos);  // Windows-1252
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));

  // One line per 50 m from the first station to the last, at 40 km.
  const std::string profile = dir.read("profile.csv");
  EXPECT_EQ(profile.substr(0, profile.find('\n')), "position_m,km,line_kmh,speed_kmh,time");
  EXPECT_EQ(std::count(profile.begin(), profile.end(), '\n'), 1 + 39000 / 50 + 1);
  EXPECT_NE(profile.find("\n0,5.000,30,0,8:30:00\n"), std::string::npos);
}

TEST(ToolCard, TheBuiltInPairGivesTheBuiltInCardsForm) {
  temp_dir dir;
  for (const text_document& doc : built_in_documents(built_in_route, built_in_train))
    dir.write(doc.file_name, doc.bytes());
  card_options o;
  o.line_path = dir.file("Roma_Pisa_linea.txt");
  o.train_path = dir.file("Roma_Pisa_EXPR 368-.txt");
  o.output = "-";
  const run_result r = card(o);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");  // the built-in times can all be kept
  EXPECT_NE(r.out.find(" |   TRENO n. 368  |"), std::string::npos);
  EXPECT_NE(r.out.find("|____PISA C.LE___|"), std::string::npos);
  EXPECT_NE(r.out.find("|  E444R  |  RSC9  |"), std::string::npos);
}

// The fixture's timetable is tighter than the default train can run: 9 km, from a start at
// 30 km/h, in six and a half minutes to Poggio.
TEST(ToolCard, SaysWhichSectionIsTooTightAndStillWritesTheCard) {
  temp_dir dir;
  const run_result r = card(valle(dir));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.rfind("scenario: warning: from Valle Alta to Poggio the running time and the "
                        "stops need ",
                        0),
            0u)
      << r.err;
  EXPECT_NE(r.err.find(" s more than the timetable leaves; the card runs late there\n"),
            std::string::npos);
  EXPECT_TRUE(dir.exists("card.txt"));
}

TEST(ToolCard, DataItCannotUseWriteNothing) {
  temp_dir dir;
  const struct {
    const char* what;
    std::string line, train;
    int status;
    const char* message;
  } cases[] = {
      {"no stations", data_dir + "Mini_linea.txt", data_dir + "Mini_Treno 1-.txt", 1,
       "scenario: error: cannot time the run: a timetable needs a first and a last station; the "
       "scenario has 0\n"},
      {"missing file", data_dir + "Valle_linea.txt", dir.file("Valle_R 12-.txt"), 2, ""},
      {"no route name", data_dir + "Valle_R 12-.txt", data_dir + "Valle_R 12-.txt", 2,
       "scenario: error: cannot tell the route name from \""},
  };
  for (const auto& c : cases) {
    card_options o;
    o.line_path = c.line;
    o.train_path = c.train;
    o.output = dir.file("card.txt");
    const run_result r = card(o);
    EXPECT_EQ(r.status, c.status) << c.what;
    EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << c.what << ": " << r.err;
    EXPECT_FALSE(dir.exists("card.txt")) << c.what;
  }
}

}  // namespace
}  // namespace scenario
