// What the fuzz targets share: the one entry point (fuzz_main.cpp) hands every target its input
// as a FuzzInput; a failed check that aborts (so libFuzzer keeps the input), a reader that cuts
// an input into control bytes, NUL-separated fields and raw bytes, and copies in heap buffers of
// exactly their size, so that ASan sees any read or write past them.
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

  // Up to `count` bytes as they are, NULs included.
  std::string Bytes(std::size_t count) {
    const std::size_t taken = count < size_ - offset_ ? count : size_ - offset_;
    std::string bytes(reinterpret_cast<const char*>(data_ + offset_), taken);
    offset_ += taken;
    return bytes;
  }

  // Every byte not read yet.
  std::string Rest() { return Bytes(size_ - offset_); }

  bool AtEnd() const { return offset_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

// `bytes` in a heap buffer of exactly their size, without a terminator.
inline std::unique_ptr<unsigned char[]> ExactBytes(const std::string& bytes) {
  std::unique_ptr<unsigned char[]> copy(new unsigned char[bytes.size()]);
  if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
  return copy;
}

// `text` and its terminator in a heap buffer of exactly that many bytes.
inline std::unique_ptr<char[]> ExactCopy(const std::string& text) {
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  return copy;
}

// The target's checks over one input; each target defines it.
void FuzzOne(FuzzInput& input);

}  // namespace vlpd::fuzz
