// Little-endian encoding and decoding of the widths the compiled files use, shared by the writers
// and the decoders.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "platform/byte_sink.h"

namespace scenario {

// The n low bytes of v, least significant first, at p; returns the position after them.
inline char* store_le(char* p, std::uint64_t v, int n) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, static_cast<std::size_t>(n));  // the low bytes come first already
  } else {
    for (int i = 0; i < n; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  return p + n;
}

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
    store_le(little_endian, v, n);
    out_.append(little_endian, static_cast<std::size_t>(n));
  }
  std::string out_;
};

// Encodes into one reused buffer and hands it to a sink each time it fills, so that a large file
// never exists in memory whole; the bytes go on from `start` in the file. flush() hands over what
// is left.
class chunk_writer {
 public:
  chunk_writer(const byte_sink& sink, std::size_t capacity, std::uint64_t start = 0)
      : sink_(sink), buffer_(capacity, '\0'), offset_(start) {}

  void i16(std::int16_t v) { put(static_cast<std::uint16_t>(v), 2); }
  void i32(std::int32_t v) { put(static_cast<std::uint32_t>(v), 4); }
  void f64(double v) { put(std::bit_cast<std::uint64_t>(v), 8); }
  void flush() {
    if (used_ > 0) sink_(offset_, std::string_view(buffer_.data(), used_));
    offset_ += used_;
    used_ = 0;
  }
  // Room for n bytes written directly, then commit(end) with the position after the last one:
  // for loops that write many values without a room check each.
  char* reserve(std::size_t n) {
    if (buffer_.size() - used_ < n) flush();
    return buffer_.data() + used_;
  }
  void commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }

 private:
  void put(std::uint64_t v, int n) {
    if (buffer_.size() - used_ < static_cast<std::size_t>(n)) flush();
    store_le(buffer_.data() + used_, v, n);
    used_ += static_cast<std::size_t>(n);
  }
  const byte_sink& sink_;
  std::string buffer_;
  std::uint64_t offset_;
  std::size_t used_ = 0;
};

// Reads values in order from a buffer. Every read first checks that its bytes are there; a read
// that would run past the end returns false and leaves the position where it was.
class byte_reader {
 public:
  explicit byte_reader(std::string_view in) : in_(in) {}

  std::size_t offset() const { return pos_; }
  std::size_t remaining() const { return in_.size() - pos_; }
  bool at_end() const { return pos_ == in_.size(); }

  bool u8(std::uint8_t& v) {
    if (remaining() < 1) return false;
    v = static_cast<std::uint8_t>(in_[pos_++]);
    return true;
  }
  bool i16(std::int16_t& v) { return get(v, 2); }
  bool i32(std::int32_t& v) { return get(v, 4); }
  bool f64(double& v) {
    std::uint64_t bits = 0;
    if (!get(bits, 8)) return false;
    v = std::bit_cast<double>(bits);
    return true;
  }
  bool bytes(std::size_t n, std::string& v) {
    if (remaining() < n) return false;
    v.assign(in_.substr(pos_, n));
    pos_ += n;
    return true;
  }

 private:
  template <class T>
  bool get(T& v, int n) {
    if (remaining() < static_cast<std::size_t>(n)) return false;
    std::uint64_t bits = 0;
    for (int i = 0; i < n; ++i)
      bits |= std::uint64_t{static_cast<unsigned char>(in_[pos_ + i])} << (8 * i);
    pos_ += static_cast<std::size_t>(n);
    v = static_cast<T>(bits);  // two's complement narrowing, as written
    return true;
  }
  std::string_view in_;
  std::size_t pos_ = 0;
};

}  // namespace scenario
