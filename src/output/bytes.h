// Little-endian encoding of the widths the compiled files use, shared by every writer.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

class byte_writer {
 public:
  void reserve(std::size_t n) { out_.reserve(n); }
  void u8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void i16(std::int16_t v) { put(static_cast<std::uint16_t>(v), 2); }
  void i32(std::int32_t v) { put(static_cast<std::uint32_t>(v), 4); }
  void f64(double v) { put(std::bit_cast<std::uint64_t>(v), 8); }
  void bytes(std::string_view s) { out_.append(s); }

  const std::string& data() const { return out_; }
  std::string take() { return std::move(out_); }

 private:
  void put(std::uint64_t v, int n) {
    char little_endian[8];
    for (int i = 0; i < n; ++i) little_endian[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    out_.append(little_endian, static_cast<std::size_t>(n));
  }
  std::string out_;
};

}  // namespace scenario
