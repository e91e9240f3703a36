// Little-endian encoding and decoding of the widths the compiled files use. Shared by the writers
// and the decoders so that both agree byte for byte.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <stdexcept>
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

// Thrown when a decoder runs out of bytes.
class truncated_input : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class byte_reader {
 public:
  explicit byte_reader(std::string_view in) : in_(in) {}

  std::uint8_t u8() { return static_cast<std::uint8_t>(get(1)); }
  std::int16_t i16() { return static_cast<std::int16_t>(static_cast<std::uint16_t>(get(2))); }
  std::int32_t i32() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(get(4))); }
  double f64() { return std::bit_cast<double>(get(8)); }
  std::string_view bytes(std::size_t n) {
    need(n);
    std::string_view s = in_.substr(pos_, n);
    pos_ += n;
    return s;
  }

  std::size_t offset() const { return pos_; }
  std::size_t remaining() const { return in_.size() - pos_; }

 private:
  void need(std::size_t n) const {
    if (in_.size() - pos_ < n)
      throw truncated_input("input ends at byte " + std::to_string(in_.size()) + ", " +
                            std::to_string(n) + " more expected at byte " + std::to_string(pos_));
  }
  std::uint64_t get(int n) {
    need(static_cast<std::size_t>(n));
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i)
      v |= std::uint64_t(static_cast<unsigned char>(in_[pos_ + i])) << (8 * i);
    pos_ += static_cast<std::size_t>(n);
    return v;
  }
  std::string_view in_;
  std::size_t pos_ = 0;
};

}  // namespace scenario
