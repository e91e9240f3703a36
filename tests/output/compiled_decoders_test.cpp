#include "output/compiled_decoders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "content/documents.h"
#include "output/compiled_files.h"
#include "support/bytes.h"
#include "support/case_name.h"
#include "support/paths.h"

namespace scenario {
namespace {

using test_support::bytes_of;
using test_support::PrintTo;

void expect_same_plan(const track_points& a, const track_points& b) {
  ASSERT_EQ(a.points(), b.points());
  for (std::size_t m = 0; m < a.points(); ++m)
    for (int k = 0; k < 2; ++k) ASSERT_EQ(a.get(m, k), b.get(m, k)) << "point " << m << "," << k;
}

TEST(RouteCellDecoder, ReadsTheFifteenByteLayout) {
  const std::string bytes = bytes_of({0x00, 0x01, 0x14, 0x39, 0x30, 0,    0,    0,    0,    0,
                                      0,    0,    0,    0,    0,    0x01, 0x02, 0x01, 0xFE, 0xFF,
                                      0x2C, 0x01, 0xFF, 0x7F, 0xA0, 0x51, 0x02, 0x13, 0x59, 0x07});
  const decoded<std::vector<cella>> d = decode_route_cells(bytes);
  ASSERT_TRUE(d) << d.error.expected;
  ASSERT_EQ(d.value->size(), 2u);
  EXPECT_EQ((*d.value)[0].valore1, 5121);
  EXPECT_EQ((*d.value)[0].valore2, 12345);
  const cella& c = (*d.value)[1];
  EXPECT_EQ(c.tipo, 1);
  EXPECT_EQ(c.valore1, 258);
  EXPECT_EQ(c.valore2, -2);
  EXPECT_EQ(c.valore3, 300);
  EXPECT_EQ(c.valore4, 32767);
  EXPECT_EQ(c.tempo, 160);
  EXPECT_EQ(c.preavviso, 81);
  EXPECT_EQ(c.montagna, 2);
  EXPECT_EQ(c.velocita_limite, 19);
  EXPECT_EQ(c.pendenza, 89);
  EXPECT_EQ(c.aderenza, 7);
}

TEST(ScenarioDecoder, WalksRecordsByTheirNameLength) {
  std::string bytes(34, '\0');  // record 0, empty
  bytes += bytes_of({0x08, 0x0C, 0xFE, 0xFF, 0xFF, 0xF4, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                     0x01, 0x03, 0x00, 'C',  0xE0, 'x',  0x03, 0x00, 0x01, 0x00, 0x02, 0x00, 0x01,
                     0x00, 0xFF, 0xFF, 0x00, 0x01, 0x00, 0x05, 0x12, 0x47, 0x01, 0x00});
  bytes += std::string(85 * 34, '\0');
  const decoded<tabella_voci> d = decode_scenario(bytes);
  ASSERT_TRUE(d) << d.error.expected;
  const voce_generale& v = (*d.value)[1];
  EXPECT_EQ(v.tipo, 8);
  EXPECT_EQ(v.inizio, -500);
  EXPECT_EQ(v.fine, 500);
  EXPECT_EQ(v.ottetto0, 1);
  EXPECT_EQ(v.nome, "C\xE0x");
  EXPECT_EQ(v.intero1, 3);
  EXPECT_EQ(v.intero5, -1);
  EXPECT_EQ(v.ottetto2, 1);
  EXPECT_EQ(v.ottetto4, 5);
  EXPECT_EQ(v.orario, 83730);
  EXPECT_EQ((*d.value)[86], voce_generale{});
}

TEST(GeometryDecoder, SplitsTheValuesIntoFirstAndSecondCoordinates) {
  const std::string bytes = bytes_of({
      0x02, 0x00, 0x00, 0x00,                                      // (0, 0) Integer 0
      0x05, 0x00, 0x2D, 0x43, 0x1C, 0xEB, 0xE2, 0x36, 0x1A, 0x3F,  // (1, 0) Double 0.0001
      0x03, 0x00, 0x70, 0x11, 0x01, 0x00,                          // (2, 0) Long 70000
      0x02, 0x00, 0xFF, 0xFF,                                      // (0, 1) Integer -1
      0x05, 0x00, 0,    0,    0,    0,    0,    0,    0,    0x40,  // (1, 1) Double 2
      0x00, 0x00,                                                  // (2, 1) empty
  });
  const decoded<track_points> d = decode_geometry(bytes);
  ASSERT_TRUE(d) << d.error.expected;
  const track_points& t = *d.value;
  ASSERT_EQ(t.points(), 3u);
  EXPECT_EQ(t.get(0, 0), tagged_value::integer(0));
  EXPECT_EQ(t.get(0, 1), tagged_value::integer(-1));
  EXPECT_EQ(t.get(1, 0), tagged_value::double_(0.0001));
  EXPECT_EQ(t.get(1, 1), tagged_value::double_(2.0));
  EXPECT_EQ(t.get(2, 0), tagged_value::long_(70000));
  EXPECT_EQ(t.get(2, 1), tagged_value{});
}

TEST(Decoders, RoundTripHandMadeModels) {
  std::vector<cella> cells(141);
  cells[1].valore1 = 5121;
  cells[1].valore2 = -32768;
  cells[22] = {1, 32, 11, 11, 8, 160, 81, 2, 19, 89, 88};
  cells[140] = {255, 32767, -1, 0, -32768, 255, 255, 255, 255, 255, 255};
  const decoded<std::vector<cella>> c = decode_route_cells(encode_route_cells(cells));
  ASSERT_TRUE(c);
  EXPECT_EQ(*c.value, cells);

  tabella_voci voci{};
  voci[1].nome = "Roma Termini";
  voci[1].inizio = -500;
  voci[1].orario = 83730;
  voci[80].nome = std::string("(Zona)\x80\x81\xFF", 9);
  voci[85].nome = std::string(32767, 'r');  // the longest name a length can say
  voci[85].orario = std::numeric_limits<long_t>::min();
  voci[86].intero3 = 23;
  const decoded<tabella_voci> v = decode_scenario(encode_scenario(voci));
  ASSERT_TRUE(v);
  EXPECT_EQ(*v.value, voci);

  track_points plan;
  plan.resize(5);
  plan.set(0, 0, tagged_value::integer(0));
  plan.set(0, 1, tagged_value::integer(0));
  plan.set(1, 0, tagged_value::integer(0));
  plan.set(1, 1, tagged_value::integer(1));
  plan.set_point(2, 0.0001, 2.0);
  plan.set_point(3, -1e300, 5e-324);
  plan.set(4, 0, tagged_value::long_(-70000));
  const decoded<track_points> g = decode_geometry(encode_geometry(plan));
  ASSERT_TRUE(g);
  expect_same_plan(*g.value, plan);
}

// Decoding what the writers made of a whole compile gives back the model, and encoding that gives
// back the same bytes.
void expect_round_trip(const compilation& c) {
  const std::string cell_bytes = encode_route_cells(c.percorso);
  const decoded<std::vector<cella>> cells = decode_route_cells(cell_bytes);
  ASSERT_TRUE(cells) << cells.error.expected;
  EXPECT_EQ(*cells.value, c.percorso);
  EXPECT_EQ(encode_route_cells(*cells.value), cell_bytes);

  const decoded<tabella_voci> voci = decode_scenario(encode_scenario(c.voci_generali));
  ASSERT_TRUE(voci) << voci.error.expected;
  EXPECT_EQ(*voci.value, c.voci_generali);

  const std::string geometry_bytes = encode_geometry(c.tracciato);
  const decoded<track_points> plan = decode_geometry(geometry_bytes);
  ASSERT_TRUE(plan) << plan.error.expected;
  expect_same_plan(*plan.value, all_points(c.tracciato));
  EXPECT_EQ(encode_geometry(*plan.value), geometry_bytes);
}

TEST(Decoders, RoundTripTheValleFixture) {
  compilation c;
  c.route_name = "Valle";
  c.train_name = "R 12";
  data_files files;
  files.line_description = test_support::file_text(test_support::fixture_path("Valle_linea.txt"));
  files.train_scenario = test_support::file_text(test_support::fixture_path("Valle_R 12-.txt"));
  const compile_outcome outcome = compile_scenario(c, 1, files);
  ASSERT_EQ(outcome.reader_code, 0);
  ASSERT_EQ(outcome.guard_code, 0);
  expect_round_trip(c);
}

TEST(Decoders, RoundTripTheBuiltInScenario) {
  compilation c;
  c.route_name = "Roma_Pisa";
  c.train_name = "EXPR 368";
  const std::vector<text_document> documents = built_in_documents("Roma_Pisa", "EXPR 368");
  data_files files;
  files.line_description = documents[0].bytes();
  files.train_scenario = documents[1].bytes();
  const compile_outcome outcome = compile_scenario(c, 1, files);
  ASSERT_EQ(outcome.reader_code, 0);
  ASSERT_EQ(outcome.guard_code, 0);
  ASSERT_EQ(c.percorso.size(), 6821u);
  expect_round_trip(c);
}

struct refusal_case {
  const char* what;
  std::string bytes;
  std::size_t offset;
  const char* expected;  // a part of the message
};

template <class T>
void expect_refusal(decoded<T> (*decode)(std::string_view), const refusal_case& c) {
  // A copy of exactly the bytes on the heap, so that the sanitizer sees any read past them.
  std::vector<char> heap(c.bytes.begin(), c.bytes.end());
  const decoded<T> d = decode(std::string_view(heap.data(), heap.size()));
  ASSERT_FALSE(d);
  EXPECT_EQ(d.error.offset, c.offset);
  EXPECT_NE(d.error.expected.find(c.expected), std::string::npos) << d.error.expected;
}

class DamagedRouteCells : public ::testing::TestWithParam<refusal_case> {};

TEST_P(DamagedRouteCells, AreRefusedAtTheirOffset) {
  expect_refusal(decode_route_cells, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    , DamagedRouteCells,
    ::testing::Values(refusal_case{"empty", "", 0, "the file is empty"},
                      refusal_case{"truncated cell", std::string(15 * 3 + 7, '\0'), 45,
                                   "7 bytes left"},
                      refusal_case{"one byte over", std::string(16, '\0'), 15, "1 byte left"},
                      refusal_case{"more cells than the longest route",
                                   std::string(15 * (max_route_cells + 1), '\0'),
                                   15 * max_route_cells, "at most 20141 cells"}),
    test_support::name_from_what{});

std::vector<refusal_case> damaged_scenario_files() {
  const std::string empty_records(87 * 34, '\0');
  std::string negative = empty_records;
  negative[34 * 5 + 14] = '\xFF';
  negative[34 * 5 + 15] = '\xFF';
  std::string past_end = empty_records;
  past_end[34 * 86 + 14] = 40;  // record 86 claims a 40-byte name, 18 bytes remain after it
  std::string long_name = std::string(14, '\0') + bytes_of({0x10, 0x27}) + std::string(10000, 'x');
  long_name.resize(long_name.size() + 18 + 86 * 34 - 1);  // the last byte of orario is missing
  return {
      {"empty", "", 0, "record 0 field tipo"},
      {"ends inside a record", empty_records.substr(0, 34 * 3 + 21), 34 * 3 + 20,
       "record 3 field intero3"},
      {"one record short", empty_records.substr(0, 86 * 34), 86 * 34, "record 86 field tipo"},
      {"last byte missing", long_name, 10000 + 87 * 34 - 4, "record 86 field orario"},
      {"negative name length", negative, 34 * 5 + 14, "found -1"},
      {"name runs past the end", past_end, 34 * 86 + 16, "name of 40 bytes (only 18 left)"},
      {"over-long", empty_records + "abc", 87 * 34, "3 bytes more"},
  };
}

class DamagedScenarioFile : public ::testing::TestWithParam<refusal_case> {};

TEST_P(DamagedScenarioFile, IsRefusedAtItsOffset) {
  expect_refusal(decode_scenario, GetParam());
}

INSTANTIATE_TEST_SUITE_P(, DamagedScenarioFile, ::testing::ValuesIn(damaged_scenario_files()),
                         test_support::name_from_what{});

std::vector<refusal_case> damaged_geometry_files() {
  const std::string pair = bytes_of({0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00});
  std::string too_many;
  for (std::size_t i = 0; i < 2 * max_geometry_points + 1; ++i) too_many += bytes_of({0, 0});
  return {
      {"empty", "", 0, "the file is empty"},
      {"unknown tag", pair + bytes_of({0x04, 0x00, 1, 2, 3, 4}), 8, "tag 0, 2, 3 or 5, found 4"},
      {"half a tag", pair + bytes_of({0x05}), 8, "tag of value 2"},
      {"Double cut short", pair + bytes_of({0x05, 0x00, 1, 2, 3}), 10, "8 bytes of value 2"},
      {"odd number of values", pair + bytes_of({0x00, 0x00}), 10, "3 values is an odd number"},
      {"more points than the longest route", too_many, 2 * 2 * max_geometry_points,
       "at most 1007001 points"},
  };
}

class DamagedGeometryFile : public ::testing::TestWithParam<refusal_case> {};

TEST_P(DamagedGeometryFile, IsRefusedAtItsOffset) {
  expect_refusal(decode_geometry, GetParam());
}

INSTANTIATE_TEST_SUITE_P(, DamagedGeometryFile, ::testing::ValuesIn(damaged_geometry_files()),
                         test_support::name_from_what{});

}  // namespace
}  // namespace scenario
