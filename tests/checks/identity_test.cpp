#include "checks/identity.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

compilation with_names(const std::string& route, const std::string& train) {
  compilation c;
  c.voci_generali[voce::percorso].nome = route;
  c.voci_generali[voce::treno].nome = train;
  c.percorso.resize(141);
  return c;
}

struct codes {
  double plain;
  double weighted;
};

codes codes_for(const std::string& route, const std::string& train) {
  compilation c = with_names(route, train);
  return {plain_identity_code(c.voci_generali).value,
          weighted_identity_code(c.voci_generali).value};
}

TEST(IdentityCodes, BuiltInNames) {
  compilation c = with_names("Roma_Pisa", "EXPR 368");
  // The working string is "expr 368roma_pisaaabbccdd": train, route, then the filler.
  EXPECT_EQ(plain_identity_code(c.voci_generali), tagged_value::integer(2383));
  EXPECT_EQ(weighted_identity_code(c.voci_generali), tagged_value::long_(31753));
}

TEST(IdentityCodes, FillerOnlyLongNamesAndCase) {
  const codes empty = codes_for("", "");  // the first 25 letters of the filler
  EXPECT_EQ(empty.plain, 2583);
  EXPECT_EQ(empty.weighted, 34355);

  const codes long_names = codes_for("ABCDEFGHIJKLMNOPQRSTUVWXYZ", "");
  const codes long_names_lower = codes_for("abcdefghijklmnopqrstuvwxyz", "");
  EXPECT_EQ(long_names.plain, long_names_lower.plain);
  EXPECT_EQ(long_names.weighted, long_names_lower.weighted);
  // Only the first 25 characters count: a 26th letter changes nothing.
  const codes shorter = codes_for("abcdefghijklmnopqrstuvwxy", "");
  EXPECT_EQ(long_names.plain, shorter.plain);

  const codes upper = codes_for("ROMA_PISA", "expr 368");
  EXPECT_EQ(upper.plain, 2383);
  EXPECT_EQ(upper.weighted, 31753);
}

TEST(IdentityCodes, SwappedNamesChangeTheWeightedCode) {
  const codes swapped = codes_for("EXPR 368", "Roma_Pisa");
  EXPECT_EQ(swapped.plain, 2383);  // same characters
  EXPECT_EQ(swapped.weighted, 29873);
}

TEST(IdentityCodes, LowerCaseInWindows1252) {
  EXPECT_EQ(to_lower_cp1252("\xC0\xD7\xDE\xDF\x8A\x8C\x8E\x9F\x80Z"),
            "\xE0\xD7\xFE\xDF\x9A\x9C\x9E\xFF\x80z");
  // Codes sum byte values 0..255, not signed chars.
  const codes high = codes_for("\xE9", "");
  const codes plain_e = codes_for("e", "");
  EXPECT_EQ(high.plain - plain_e.plain, 0xE9 - 'e');
}

TEST(GuardChecks, StampsMarkersAndCodes) {
  compilation c = with_names("Roma_Pisa", "EXPR 368");
  EXPECT_EQ(stamp_identity_codes(c), 0);
  EXPECT_EQ(c.voci_generali[voce::percorso].intero1, 610);
  EXPECT_EQ(c.voci_generali[voce::percorso].orario, 31753);
  EXPECT_EQ(c.percorso[1].valore1, 5121);
  EXPECT_EQ(c.percorso[1].valore2, 2383);
}

TEST(GuardChecks, FirstCheckComesFirstAndStopsEverything) {
  // Both checks would fail: 1250 is reported and nothing is stamped.
  compilation c = with_names("Roma_Pisa", "EXPR 368");
  c.percorso[1].valore1 = 32;
  c.percorso[1].valore2 = 11;
  const voce_generale route_before = c.voci_generali[voce::percorso];
  EXPECT_EQ(stamp_identity_codes(c), 1250);
  EXPECT_EQ(c.voci_generali[voce::percorso], route_before);
  EXPECT_EQ(c.percorso[1].valore2, 11);

  compilation r = with_names("Roma_Pisa", "EXPR 368");
  r.voci_generali[voce::percorso].intero1 = 1;
  EXPECT_EQ(stamp_identity_codes(r), 1250);
}

TEST(GuardChecks, SecondCheckStopsBeforeTheCodes) {
  compilation c = with_names("Roma_Pisa", "EXPR 368");
  c.percorso[1].valore2 = 11;
  EXPECT_EQ(stamp_identity_codes(c), 1251);
  EXPECT_EQ(c.voci_generali[voce::percorso].orario, 0);
  EXPECT_EQ(c.percorso[1].valore2, 11);

  compilation r = with_names("Roma_Pisa", "EXPR 368");
  r.voci_generali[voce::percorso].orario = 5;
  EXPECT_EQ(stamp_identity_codes(r), 1251);
}

}  // namespace
}  // namespace scenario
