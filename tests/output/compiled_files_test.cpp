#include "output/compiled_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "reader/track_plan.h"
#include "support/bytes.h"
#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::bytes_of;
using test_support::PrintTo;

TEST(RouteCellFile, OneCellIsFifteenLittleEndianBytes) {
  cella c;
  c.tipo = 1;
  c.valore1 = 258;
  c.valore2 = -2;
  c.valore3 = 300;
  c.valore4 = 32767;
  c.tempo = 160;
  c.preavviso = 81;
  c.montagna = 2;
  c.velocita_limite = 19;
  c.pendenza = 89;
  c.aderenza = 7;
  EXPECT_EQ(encode_route_cells({c}), bytes_of({0x01, 0x02, 0x01, 0xFE, 0xFF, 0x2C, 0x01, 0xFF, 0x7F,
                                               0xA0, 0x51, 0x02, 0x13, 0x59, 0x07}));
}

TEST(RouteCellFile, BuiltInRouteLengthGives6821Cells) {
  std::vector<cella> cells(6821);
  cells[6820].aderenza = 9;
  const std::string out = encode_route_cells(cells);
  EXPECT_EQ(out.size(), 102315u);
  EXPECT_EQ(out[15 * 6820 + 14], 9);  // cell i starts at byte 15 * i
}

TEST(ScenarioFile, RecordWithNameFollowsTheNameLength) {
  tabella_voci voci{};
  voce_generale& v = voci[1];
  v.tipo = 8;
  v.inizio = -500;
  v.fine = 500;
  v.posizione = 0;
  v.ottetto0 = 1;
  v.nome = "Ab";
  v.intero1 = 3;
  v.intero2 = 1;
  v.intero3 = 2;
  v.intero4 = 1;
  v.intero5 = -1;
  v.ottetto1 = 0;
  v.ottetto2 = 1;
  v.ottetto3 = 0;
  v.ottetto4 = 5;
  v.orario = 83730;
  const std::string out = encode_scenario(voci);
  ASSERT_EQ(out.size(), 87u * 34u + 2u);

  const std::string empty_record(34, '\0');
  EXPECT_EQ(out.substr(0, 34), empty_record);
  EXPECT_EQ(out.substr(34, 36),
            bytes_of({0x08,                    // tipo
                      0x0C, 0xFE, 0xFF, 0xFF,  // inizio -500
                      0xF4, 0x01, 0x00, 0x00,  // fine 500
                      0x00, 0x00, 0x00, 0x00,  // posizione
                      0x01,                    // ottetto0
                      0x02, 0x00, 'A',  'b',   // name length and bytes
                      0x03, 0x00, 0x01, 0x00, 0x02, 0x00, 0x01, 0x00, 0xFF, 0xFF,  // intero1..5
                      0x00, 0x01, 0x00, 0x05,                                      // ottetto1..4
                      0x12, 0x47, 0x01, 0x00}));                                   // orario
  EXPECT_EQ(out.substr(70), std::string(85 * 34, '\0'));
}

TEST(ScenarioFile, EightySevenEmptyRecordsGive2958Bytes) {
  const std::string out = encode_scenario(tabella_voci{});
  EXPECT_EQ(out, std::string(2958, '\0'));
}

TEST(GeometryFile, TaggedValuesAllFirstCoordinatesThenAllSecond) {
  track_points t;
  t.resize(3);
  t.set(0, 0, tagged_value::integer(0));
  t.set(0, 1, tagged_value::integer(0));
  t.set(1, 0, tagged_value::integer(0));
  t.set(1, 1, tagged_value::integer(1));
  t.set_point(2, 0.0001, 2.0);
  t.set(3, 0, tagged_value::long_(70000));  // point 3's second coordinate stays empty
  EXPECT_EQ(encode_geometry(t),
            bytes_of({
                0x02, 0x00, 0x00, 0x00,                                      // (0, 0)
                0x02, 0x00, 0x00, 0x00,                                      // (1, 0)
                0x05, 0x00, 0x2D, 0x43, 0x1C, 0xEB, 0xE2, 0x36, 0x1A, 0x3F,  // (2, 0)
                0x03, 0x00, 0x70, 0x11, 0x01, 0x00,                          // (3, 0)
                0x02, 0x00, 0x00, 0x00,                                      // (0, 1)
                0x02, 0x00, 0x01, 0x00,                                      // (1, 1)
                0x05, 0x00, 0,    0,    0,    0,    0,    0,    0,    0x40,  // (2, 1)
                0x00, 0x00,                                                  // (3, 1)
            }));
}

// The plan's file is generated from its runs, twice over (one pass per coordinate) and in pieces;
// it must equal the file of its elements computed one by one.
struct plan_case {
  const char* what;
  std::size_t last_point;
  std::vector<std::pair<const char*, std::pair<long_t, long_t>>> curves;
  bool start, tail;
};

class GeneratedGeometry : public ::testing::TestWithParam<plan_case> {};

// The plan's file is generated from its runs, twice over (one pass per coordinate) and in pieces;
// it must equal the file of its elements computed one by one.
TEST_P(GeneratedGeometry, EqualsTheFileOfItsElements) {
  const plan_case& pc = GetParam();
  tracciato_t plan;
  plan.resize(pc.last_point);
  long_t metro = 2;
  if (pc.start) metro = start_track_plan(plan);
  for (const auto& [key, span] : pc.curves) curve_step(plan, key, span.first, span.second, metro);
  if (pc.tail) track_plan_tail(plan, metro);
  const std::string generated = encode_geometry(plan);
  EXPECT_EQ(generated.size(), geometry_size(plan));
  ASSERT_TRUE(generated == encode_geometry(all_points(plan)));
  // The pieces cover the file once, none larger than a chunk.
  std::vector<std::uint8_t> covered(generated.size());
  encode_geometry(plan, [&covered](std::uint64_t offset, std::string_view piece) {
    EXPECT_LE(piece.size(), geometry_chunk_size);
    for (std::size_t i = 0; i < piece.size(); ++i) ++covered.at(offset + i);
  });
  EXPECT_EQ(std::count(covered.begin(), covered.end(), 1), std::ssize(covered));
}

INSTANTIATE_TEST_SUITE_P(
    , GeneratedGeometry,
    ::testing::Values(
        plan_case{"sized only", 7000, {}, false, false},
        plan_case{"started", 7000, {}, true, false}, plan_case{"tail", 7000, {}, true, true},
        plan_case{"curves over several pieces",
                  120000,
                  {{"curvad1", {0, 150}},
                   {"curvas3", {1350, 150}},
                   {"curvad6", {1400, 200}},
                   {"curvas4", {60000, 1900}}},
                  true,
                  true},
        plan_case{"stopped at metre 1000000", 1007000, {{"curvad2", {999000, 2000}}}, true, false}),
    test_support::name_from_what{});

TEST(CompiledFiles, NamesAndWriteOrder) {
  compilation c;
  c.route_name = "Roma_Pisa";
  c.train_name = "EXPR 368";
  c.percorso.resize(141);
  c.tracciato.resize(7000);
  c.with_track_plan = 1;
  std::vector<std::string> names;
  for (const auto& f : compiled_files(c)) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Roma_Pisa_linea.dat", "Roma_Pisa_EXPR 368.sim",
                                             "Roma_Pisa_EXPR 368.dat"}));
  c.with_track_plan = 0;
  EXPECT_EQ(compiled_files(c).size(), 2u);
}

TEST(CompiledFiles, TextTooLongToStoreIsRefusedNotWrapped) {
  tabella_voci voci{};
  voci[1].nome = std::string(longest_name + 1, 's');  // its length would be written as -32768
  EXPECT_THROW(encode_scenario(voci), std::length_error);
  voci[1].nome.pop_back();
  EXPECT_EQ(encode_scenario(voci).substr(34 + 14, 2), bytes_of({0xFF, 0x7F}));
}

}  // namespace
}  // namespace scenario
