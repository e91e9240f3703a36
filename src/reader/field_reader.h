// The field reader shared by the line description and the train scenario: the file is one stream of
// comma-separated fields, whatever line each stands on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/diagnostics.h"

namespace scenario {

// Line ends are CR LF or LF (a lone CR is an ordinary character); tabs count as blanks.
// - Leading blanks are skipped. A line of only blanks yields no field.
// - A text field ends at the next comma or line end, which is consumed; it loses its trailing
// blanks.
// - A numeric field ends at a comma, a blank or a line end. When it ends at blanks, they are
//   skipped and a comma or line end right after them is consumed with the field.
// - After a comma a field always follows, possibly empty, even at the end of the line or file.
// - Numbers: optional sign, digits with at most one ".", at least one digit, optional exponent;
//   converted with nearest() to the width asked for. Empty gives 0. Anything else, or a value that
//   does not fit, throws reading_failure (code 25).
// - at_end() is true once only blanks, tabs and line ends remain (and no comma promised a field);
//   reading then throws.
// The value of a numeric field as the reader converts it, before it is fitted to a width: 0 for an
// empty field, nullopt for a field that is not a number.
std::optional<double> number_value(std::string_view field);

class field_reader {
 public:
  explicit field_reader(std::string_view bytes);

  bool at_end() const;

  std::string read_text();
  // The next numeric field as it stands, unconverted: for checks that look at what the author
  // wrote.
  std::string_view read_number_text();
  std::uint8_t read_byte();
  std::int16_t read_integer();
  std::int32_t read_long();

  // 1-based line of the field last returned (0 before the first read). After a failed read it is
  // the line of the field that could not be read.
  int line() const { return field_line_; }
  // Line and 1-based byte column where that field starts (its first character after the blanks).
  source_point where() const { return {field_line_, field_column_}; }

  // Passes over what is left of the line of the field last returned, its line end included; nothing
  // when that field's line end has already been consumed. A reading that goes on after a refused
  // entry starts again at the next line.
  void skip_rest_of_line();

 private:
  double read_number();
  std::string_view next_raw_field(bool numeric);

  bool blank_at(std::size_t p) const;
  // Length of the line end at p: 2 for CR LF, 1 for LF, 0 for none.
  std::size_t line_end_at(std::size_t p) const;
  void skip_blanks();

  std::string_view text_;
  std::size_t pos_ = 0;
  int current_line_ = 1;  // line at pos_
  int field_line_ = 0;
  int field_column_ = 0;
  std::size_t line_start_ = 0;  // offset of the first byte of current_line_
  bool field_follows_ = false;  // a comma was consumed: a field comes even if the line ends
};

}  // namespace scenario
