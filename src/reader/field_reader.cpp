#include "reader/field_reader.h"

#include "model/numeric.h"

namespace scenario {

field_reader::field_reader(std::string_view bytes) : text_(bytes) {}

bool field_reader::at_end() const { return true; }
std::string field_reader::read_text() { throw reading_failure("read past the end of the file"); }
std::uint8_t field_reader::read_byte() { return checked<std::uint8_t>(read_number()); }
std::int16_t field_reader::read_integer() { return checked<std::int16_t>(read_number()); }
std::int32_t field_reader::read_long() { return checked<std::int32_t>(read_number()); }
double field_reader::read_number() { throw reading_failure("read past the end of the file"); }
std::string_view field_reader::next_raw_field(bool) { return {}; }

}  // namespace scenario
