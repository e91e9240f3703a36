#include "reader/field_reader.h"

#include <charconv>
#include <cstdlib>
#include <optional>

#include "model/numeric.h"

namespace scenario {

namespace {

// A length is stored as an Integer, so a longer text cannot be kept.
constexpr std::size_t longest_text = 32767;

bool is_digit(char ch) {
  return ch >= '0' && ch <= '9';
}

// Optional sign, digits with at most one point and at least one digit, optional exponent.
bool is_number(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    if (is_digit(s[i])) {
      ++digits;
    } else if (s[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponent_digits = 0;
    for (; i < s.size() && is_digit(s[i]); ++i) ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == s.size();
}

// An optional sign and at most 15 digits: a whole number a double holds exactly. nullopt for any
// other field, which takes the general path.
std::optional<double> plain_whole_number(std::string_view s) {
  std::size_t i = s.front() == '+' || s.front() == '-' ? 1 : 0;
  if (i == s.size() || s.size() - i > 15) return std::nullopt;
  std::int64_t v = 0;
  for (std::size_t k = i; k < s.size(); ++k) {
    if (!is_digit(s[k])) return std::nullopt;
    v = v * 10 + (s[k] - '0');
  }
  const double magnitude = static_cast<double>(v);
  return s.front() == '-' ? -magnitude : magnitude;
}

double to_double(std::string_view s) {
  bool negative = false;
  if (s.front() == '+' || s.front() == '-') {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  double v = 0.0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec == std::errc::result_out_of_range || end != s.data() + s.size()) {
    // Overflow gives an infinity, which no width accepts; underflow gives 0.
    std::string copy(s);
    v = std::strtod(copy.c_str(), nullptr);
  }
  return negative ? -v : v;
}

}  // namespace

field_reader::field_reader(std::string_view bytes) : text_(bytes) {}

bool field_reader::blank_at(std::size_t p) const {
  return p < text_.size() && (text_[p] == ' ' || text_[p] == '\t');
}

std::size_t field_reader::line_end_at(std::size_t p) const {
  if (p >= text_.size()) return 0;
  if (text_[p] == '\n') return 1;
  if (text_[p] == '\r' && p + 1 < text_.size() && text_[p + 1] == '\n') return 2;
  return 0;
}

void field_reader::skip_blanks() {
  while (blank_at(pos_)) ++pos_;
}

bool field_reader::at_end() const {
  if (field_follows_) return false;
  std::size_t p = pos_;
  while (p < text_.size()) {
    if (blank_at(p)) {
      ++p;
    } else if (std::size_t n = line_end_at(p)) {
      p += n;
    } else {
      return false;
    }
  }
  return true;
}

std::string_view field_reader::next_raw_field(bool numeric) {
  skip_blanks();
  if (!field_follows_) {
    // Empty lines hold no field.
    while (std::size_t n = line_end_at(pos_)) {
      pos_ += n;
      ++current_line_;
      line_start_ = pos_;
      skip_blanks();
    }
    if (pos_ >= text_.size()) throw reading_failure("read past the end of the file");
  }
  field_follows_ = false;
  field_line_ = current_line_;
  field_column_ = static_cast<int>(pos_ - line_start_) + 1;

  const std::size_t start = pos_;
  auto ends_field = [&](std::size_t p) {
    return text_[p] == ',' || line_end_at(p) != 0 || (numeric && blank_at(p));
  };
  for (;;) {
    // Every byte that can end a field is at most ','; the rest are passed over in one sweep.
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) > ',') ++pos_;
    if (pos_ >= text_.size() || ends_field(pos_)) break;
    ++pos_;
  }
  std::size_t end = pos_;
  if (numeric) {
    skip_blanks();
  } else {
    while (end > start && blank_at(end - 1)) --end;
  }

  // The comma or line end that closes the field goes with it.
  if (pos_ < text_.size() && text_[pos_] == ',') {
    ++pos_;
    field_follows_ = true;
  } else if (std::size_t n = line_end_at(pos_)) {
    pos_ += n;
    ++current_line_;
    line_start_ = pos_;
  }
  return text_.substr(start, end - start);
}

std::string field_reader::read_text() {
  std::string_view field = next_raw_field(false);
  if (field.size() > longest_text) throw reading_failure("text field longer than 32767 bytes");
  return std::string(field);
}

std::optional<double> number_value(std::string_view field) {
  if (field.empty()) return 0.0;
  // Most fields are a few plain digits, exact as they stand: no conversion or rounding needed.
  if (std::optional<double> whole = plain_whole_number(field)) return *whole;
  if (!is_number(field)) return std::nullopt;
  return nearest(to_double(field));
}

std::string_view field_reader::read_number_text() {
  return next_raw_field(true);
}

double field_reader::read_number() {
  std::string_view field = next_raw_field(true);
  if (std::optional<double> v = number_value(field)) return *v;
  throw reading_failure("field \"" + std::string(field) + "\" is not a number");
}

void field_reader::skip_rest_of_line() {
  if (current_line_ != field_line_) return;
  while (pos_ < text_.size() && line_end_at(pos_) == 0) ++pos_;
  if (std::size_t n = line_end_at(pos_)) {
    pos_ += n;
    ++current_line_;
    line_start_ = pos_;
  }
  field_follows_ = false;
}

std::uint8_t field_reader::read_byte() {
  return checked<std::uint8_t>(read_number());
}
std::int16_t field_reader::read_integer() {
  return checked<std::int16_t>(read_number());
}
std::int32_t field_reader::read_long() {
  return checked<std::int32_t>(read_number());
}

}  // namespace scenario
