// What the fuzz targets share: a failed check that aborts (so libFuzzer keeps the input), a
// reader that cuts an input into control bytes and NUL-separated fields, and NUL-terminated
// copies in heap buffers of exactly their size, so that ASan sees any read or write past them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace vlpd::fuzz {

inline void Require(bool condition) {
  if (!condition) std::abort();
}

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // The next byte; 0 once the input is used up.
  std::uint8_t Byte() { return offset_ < size_ ? data_[offset_++] : 0; }

  // The next two bytes, little-endian.
  std::size_t Word() {
    const std::size_t low = Byte();
    return low | static_cast<std::size_t>(Byte()) << 8;
  }

  // The bytes up to the next NUL (consumed, not returned) or the end. A field never holds a NUL,
  // as no path or registry text does.
  std::string Field() {
    const std::size_t start = offset_;
    while (offset_ < size_ && data_[offset_] != 0) ++offset_;
    std::string field(reinterpret_cast<const char*>(data_ + start), offset_ - start);
    if (offset_ < size_) ++offset_;
    return field;
  }

  bool AtEnd() const { return offset_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

// `text` and its terminator in a heap buffer of exactly that many bytes.
inline std::unique_ptr<char[]> ExactCopy(const std::string& text) {
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  return copy;
}

}  // namespace vlpd::fuzz
