#include "reader/field_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/numeric.h"

namespace scenario {
namespace {

// One read: 't' text, 'n' Long; the value expected and the line it stands on.
struct read_step {
  char kind;
  std::string value;
  int line;
};

struct stream_case {
  const char* name;
  std::string bytes;
  std::vector<read_step> reads;
};

// Test listings name the case rather than dumping its bytes.
void PrintTo(const stream_case& c, std::ostream* os) {
  *os << c.name;
}

class FieldStream : public ::testing::TestWithParam<stream_case> {};

TEST_P(FieldStream, YieldsFieldsThenEnds) {
  const stream_case& tc = GetParam();
  field_reader r(tc.bytes);
  for (std::size_t i = 0; i < tc.reads.size(); ++i) {
    const read_step& step = tc.reads[i];
    ASSERT_FALSE(r.at_end()) << "before read " << i;
    std::string got = step.kind == 't' ? r.read_text() : std::to_string(r.read_long());
    EXPECT_EQ(got, step.value) << "read " << i;
    EXPECT_EQ(r.line(), step.line) << "read " << i;
  }
  EXPECT_TRUE(r.at_end());
  EXPECT_THROW(r.read_text(), reading_failure);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldStream,
    ::testing::Values(
        stream_case{"CommasAndLines", "a,b\nc\n", {{'t', "a", 1}, {'t', "b", 1}, {'t', "c", 2}}},
        stream_case{"CrLfAndLastLineWithoutEnd",
                    "a\r\nb\nc",
                    {{'t', "a", 1}, {'t', "b", 2}, {'t', "c", 3}}},
        stream_case{"LoneCrIsOrdinary", "a\rb\r\nc\r\n", {{'t', "a\rb", 1}, {'t', "c", 2}}},
        stream_case{
            "BlankSeparatedNumbers",
            "orologio,  23   15\t30 \r\nx\r\n",
            {{'t', "orologio", 1}, {'n', "23", 1}, {'n', "15", 1}, {'n', "30", 1}, {'t', "x", 2}}},
        stream_case{"NumberThenBlanksThenComma", "  23   ,x\n", {{'n', "23", 1}, {'t', "x", 1}}},
        stream_case{
            "TextAfterBlankEndedNumber", "1 abc  def \n", {{'n', "1", 1}, {'t', "abc  def", 1}}},
        stream_case{"EmptyTextFieldAfterBlanks",
                    "nome, ,altro\n",
                    {{'t', "nome", 1}, {'t', "", 1}, {'t', "altro", 1}}},
        stream_case{"EmptyFieldsGiveZero",
                    "v, 1,,  ,3\n",
                    {{'t', "v", 1}, {'n', "1", 1}, {'n', "0", 1}, {'n', "0", 1}, {'n', "3", 1}}},
        stream_case{"CommaAtLineEndPromisesAField",
                    "a,\nb,\r\n",
                    {{'t', "a", 1}, {'t', "", 1}, {'t', "b", 2}, {'n', "0", 2}}},
        stream_case{"EmptyAndBlankLinesHoldNoField", "\n  \t \r\n\t a \n\n", {{'t', "a", 3}}},
        stream_case{"TextKeepsInnerBlanksLosesTrailing",
                    "cartello,  27950,   (  Cippo  )(Km 28+000) \t\r\n",
                    {{'t', "cartello", 1}, {'n', "27950", 1}, {'t', "(  Cippo  )(Km 28+000)", 1}}},
        stream_case{"StrayFieldAfterDecimalComma",
                    "pendenza,  1250,   -4,5\n",
                    {{'t', "pendenza", 1}, {'n', "1250", 1}, {'n', "-4", 1}, {'t', "5", 1}}},
        stream_case{"ValuesTakenFromTheNextLine",
                    "segnale, 1\n2, 3\n",
                    {{'t', "segnale", 1}, {'n', "1", 1}, {'n', "2", 2}, {'n', "3", 2}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct number_case {
  const char* field;
  long expected;  // ignored when it fails
  bool fails;
};

void PrintTo(const number_case& c, std::ostream* os) {
  *os << '"' << c.field << '"';
}

class LongField : public ::testing::TestWithParam<number_case> {};

TEST_P(LongField, ConvertsOrFails) {
  const number_case& tc = GetParam();
  std::string bytes = std::string(tc.field) + "\n";
  field_reader r(bytes);
  if (tc.fails) {
    EXPECT_THROW(r.read_long(), reading_failure) << tc.field;
  } else {
    EXPECT_EQ(r.read_long(), tc.expected) << tc.field;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LongField,
    ::testing::Values(
        number_case{"5.", 5, false}, number_case{".5", 0, false}, number_case{"1.5", 2, false},
        number_case{"2.5", 2, false}, number_case{"-2.5", -2, false}, number_case{"+7", 7, false},
        number_case{"-0", 0, false}, number_case{"1e3", 1000, false},
        number_case{"1.5E+2", 150, false}, number_case{"25e-1", 2, false},
        number_case{"1e-400", 0, false}, number_case{"2147483647", 2147483647, false},
        number_case{"-2147483648", -2147483647L - 1, false}, number_case{"2147483648", 0, true},
        number_case{"2147483647.5", 0, true}, number_case{"1e400", 0, true},
        number_case{"abc", 0, true}, number_case{"12x", 0, true}, number_case{".", 0, true},
        number_case{"-", 0, true}, number_case{"1.2.3", 0, true}, number_case{"1e", 0, true},
        number_case{"--1", 0, true}, number_case{"0x10", 0, true}, number_case{"inf", 0, true},
        // Plain digits are read directly up to 15 of them; longer runs take the general path.
        number_case{"000000000000042", 42, false}, number_case{"0000000000000000042", 42, false},
        number_case{"-000000000000000000", 0, false}, number_case{"999999999999999", 0, true},
        number_case{"+", 0, true}));

TEST(FieldReaderWidths, ByteAndIntegerLimits) {
  struct width_case {
    const char* field;
    bool is_byte;
    bool fails;
  };
  const width_case cases[] = {
      {"255", true, false},    {"256", true, true},        {"-1", true, true},
      {"254.5", true, false},  {"255.5", true, true},      {"-0.4", true, false},
      {"32767", false, false}, {"32768", false, true},     {"-32768", false, false},
      {"-32769", false, true}, {"-32768.5", false, false}, {"32767.5", false, true},
  };
  for (const auto& tc : cases) {
    std::string bytes = tc.field;
    field_reader r(bytes);
    auto read = [&] { return tc.is_byte ? long(r.read_byte()) : long(r.read_integer()); };
    if (tc.fails) {
      EXPECT_THROW(read(), reading_failure) << tc.field;
    } else {
      EXPECT_NO_THROW(read()) << tc.field;
    }
  }
  field_reader r("254.5,-32768.5");
  EXPECT_EQ(r.read_byte(), 254);  // halves go to the even neighbour
  EXPECT_EQ(r.read_integer(), -32768);
}

TEST(FieldReaderEnd, LastFieldLeavesTheReaderAtEnd) {
  field_reader r("[generale]\r\n[fine]\r\n\r\n  \t\n");
  EXPECT_FALSE(r.at_end());
  EXPECT_EQ(r.read_text(), "[generale]");
  EXPECT_FALSE(r.at_end());
  EXPECT_EQ(r.read_text(), "[fine]");
  EXPECT_TRUE(r.at_end());
  EXPECT_THROW(r.read_long(), reading_failure);
}

TEST(FieldReaderEnd, EmptyOrBlankFileIsAReadPastTheEnd) {
  for (const char* bytes : {"", " \t\r\n\n", "\r\n"}) {
    field_reader r(bytes);
    EXPECT_TRUE(r.at_end());
    EXPECT_THROW(r.read_text(), reading_failure);
    EXPECT_EQ(r.line(), 0);
  }
}

TEST(FieldReaderEnd, TrailingCommaPromisesAnEmptyField) {
  field_reader r("x,");
  EXPECT_EQ(r.read_text(), "x");
  EXPECT_FALSE(r.at_end());
  EXPECT_EQ(r.read_long(), 0);
  EXPECT_TRUE(r.at_end());
}

TEST(FieldReaderLine, FailedFieldReportsItsOwnLine) {
  field_reader r("a\r\n\r\n  12x, 5\r\n");
  EXPECT_EQ(r.line(), 0);
  r.read_text();
  EXPECT_THROW(r.read_long(), reading_failure);
  EXPECT_EQ(r.line(), 3);
}

TEST(FieldReaderText, LengthLimit) {
  std::string longest(32767, 'x');
  std::string bytes = longest + "\n" + longest + "y\n";
  field_reader r(bytes);
  EXPECT_EQ(r.read_text().size(), 32767u);
  EXPECT_THROW(r.read_text(), reading_failure);
}

}  // namespace
}  // namespace scenario
