// An array whose elements read as zero bits before they are written, without being written: the
// megabytes of a decoded line geometry file are then touched only as they are filled, in large
// pages where the system offers them, instead of being zero-filled first and faulted in again.
#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

namespace scenario {

namespace detail {
void* allocate_zeroed(std::size_t bytes, std::size_t& mapped);
void release_zeroed(void* p, std::size_t mapped);
}  // namespace detail

template <class T>
class zeroed_array {
  static_assert(std::is_trivially_copyable_v<T>, "zero bits must be a valid T");

 public:
  zeroed_array() = default;
  explicit zeroed_array(std::size_t n) : size_(n) {
    if (n > 0) data_ = static_cast<T*>(detail::allocate_zeroed(n * sizeof(T), mapped_));
  }
  zeroed_array(const zeroed_array& other) : zeroed_array(other.size_) {
    if (size_ > 0) std::memcpy(data_, other.data_, size_ * sizeof(T));
  }
  zeroed_array(zeroed_array&& other) noexcept { swap(other); }
  zeroed_array& operator=(zeroed_array other) noexcept {
    swap(other);
    return *this;
  }
  ~zeroed_array() {
    if (data_) detail::release_zeroed(data_, mapped_);
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }

 private:
  void swap(zeroed_array& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(mapped_, other.mapped_);
  }
  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // bytes mapped from the system, 0 when taken from the heap
};

}  // namespace scenario
