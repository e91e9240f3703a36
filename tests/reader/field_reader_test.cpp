#include "reader/field_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/numeric.h"
#include "support/case_name.h"

namespace scenario {
namespace {

using test_support::PrintTo;

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
    , FieldStream,
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
    , LongField,
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
        number_case{"+", 0, true}),
    [](const ::testing::TestParamInfo<number_case>& info) {
      return test_support::spelled_name(info.param.field);
    });

struct width_case {
  const char* field;
  bool is_byte;
  bool fails;
};

void PrintTo(const width_case& c, std::ostream* os) {
  *os << '"' << c.field << '"' << (c.is_byte ? " as a byte" : " as an Integer");
}

class FieldReaderWidths : public ::testing::TestWithParam<width_case> {};

TEST_P(FieldReaderWidths, ByteAndIntegerLimits) {
  const width_case& tc = GetParam();
  field_reader r(tc.field);
  auto read = [&] { return tc.is_byte ? long(r.read_byte()) : long(r.read_integer()); };
  if (tc.fails) {
    EXPECT_THROW(read(), reading_failure);
  } else {
    EXPECT_NO_THROW(read());
  }
}

INSTANTIATE_TEST_SUITE_P(
    , FieldReaderWidths,
    ::testing::Values(width_case{"255", true, false}, width_case{"256", true, true},
                      width_case{"-1", true, true}, width_case{"254.5", true, false},
                      width_case{"255.5", true, true}, width_case{"-0.4", true, false},
                      width_case{"32767", false, false}, width_case{"32768", false, true},
                      width_case{"-32768", false, false}, width_case{"-32769", false, true},
                      width_case{"-32768.5", false, false}, width_case{"32767.5", false, true}),
    [](const ::testing::TestParamInfo<width_case>& info) {
      return std::string(info.param.is_byte ? "byte_" : "integer_") +
             test_support::spelled_name(info.param.field);
    });

TEST(FieldReaderWidth, HalvesGoToTheEvenNeighbour) {
  field_reader r("254.5,-32768.5");
  EXPECT_EQ(r.read_byte(), 254);
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

struct blank_file {
  const char* what;
  const char* bytes;
};

class BlankFile : public ::testing::TestWithParam<blank_file> {};

TEST_P(BlankFile, IsAReadPastTheEnd) {
  field_reader r(GetParam().bytes);
  EXPECT_TRUE(r.at_end());
  EXPECT_THROW(r.read_text(), reading_failure);
  EXPECT_EQ(r.line(), 0);
}

INSTANTIATE_TEST_SUITE_P(, BlankFile,
                         ::testing::Values(blank_file{"empty", ""},
                                           blank_file{"blanks and line ends", " \t\r\n\n"},
                                           blank_file{"one line end", "\r\n"}),
                         test_support::name_from_what{});

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
