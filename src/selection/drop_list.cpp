#include "selection/drop_list.h"

#include <cstdint>
#include <cstring>

namespace vlpd {
namespace {

std::uint32_t ReadLe32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The offset of the first zero unit at or after `at` whose unit lies wholly inside [0, size);
// `size` when there is none.
std::size_t FindZeroUnit(const unsigned char* data, std::size_t size, std::size_t at, std::size_t unit) {
  if (unit == 1) {
    const void* zero = std::memchr(data + at, 0, size - at);
    return zero == nullptr ? size : static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - data);
  }
  // Four units at a time while whole words remain: a word with no zero unit is passed over
  // whole, whatever the byte order.
  constexpr std::uint64_t kLow = 0x0001000100010001u;
  constexpr std::uint64_t kHigh = 0x8000800080008000u;
  for (; size - at >= 8; at += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + at, 8);
    if (((word - kLow) & ~word & kHigh) != 0) break;
  }
  for (; size - at >= 2; at += 2) {
    if (data[at] == 0 && data[at + 1] == 0) return at;
  }
  return size;
}

bool IsZeroUnit(const unsigned char* data, std::size_t at, std::size_t unit) {
  return data[at] == 0 && (unit == 1 || data[at + 1] == 0);
}

// Walks names of `unit`-byte characters from `first`: each name up to its zero unit, the list
// up to the zero unit that follows a name's terminator. Every unit read is inside [0, size).
// The names counted, or 0 when the list runs out of the block; `*end` is just past the list.
std::size_t CountNames(const unsigned char* data, std::size_t size, std::size_t first, std::size_t unit,
                       std::size_t* end) {
  std::size_t at = first;
  std::size_t count = 0;
  for (;;) {
    // One name. The shell's reader takes the list's first unit as the start of a name before it
    // looks for the end of the list, so even an empty list needs two zero units.
    const std::size_t zero = FindZeroUnit(data, size, at, unit);
    if (zero == size) return 0;
    ++count;
    at = zero + unit;
    if (size - at < unit) return 0;
    if (IsZeroUnit(data, at, unit)) {
      *end = at + unit;
      return count;
    }
  }
}

}  // namespace

DropNameWalker::DropNameWalker(const unsigned char* data, std::size_t size) : data_(data) {
  if (data == nullptr || size < kDropFilesHeaderSize) return;
  const std::uint32_t first = ReadLe32(data);
  if (first < kDropFilesHeaderSize || first >= size) return;
  unit_ = ReadLe32(data + 16) != 0 ? 2 : 1;
  std::size_t end = 0;
  count_ = CountNames(data, size, first, unit_, &end);
  if (count_ == 0) return;
  at_ = first;
  end_ = end;
  list_units_ = (end - first) / unit_;
}

bool DropNameWalker::Next(DropName* name) {
  if (yielded_ == count_) return false;
  // Validated: this name's terminator lies inside the list, so the search cannot run past it.
  const std::size_t zero = unit_ == 1 ? at_ + std::strlen(reinterpret_cast<const char*>(data_ + at_))
                                      : FindZeroUnit(data_, end_, at_, 2);
  name->offset = at_;
  name->units = (zero - at_) / unit_;
  at_ = zero + unit_;
  ++yielded_;
  return true;
}

bool ValidateDropList(const unsigned char* data, std::size_t size) {
  return DropNameWalker(data, size).Count() > 0;
}

}  // namespace vlpd
