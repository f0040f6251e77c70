#include "selection/drop_list.h"

#include <cstdint>

namespace vlpd {
namespace {

std::uint32_t ReadLe32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Walks names of `unit`-byte characters from `offset`: each name up to its zero unit, the list
// up to the zero unit that follows a name's terminator. Every unit is inside [0, size).
bool ListTerminatedWithin(const unsigned char* data, std::size_t size, std::size_t offset, std::size_t unit) {
  auto is_zero = [&](std::size_t at) {
    for (std::size_t k = 0; k < unit; ++k) {
      if (data[at + k] != 0) return false;
    }
    return true;
  };
  std::size_t at = offset;
  for (;;) {
    // One name. The shell's reader takes the list's first unit as the start of a name before it
    // looks for the end of the list, so even an empty list needs two zero units.
    for (;;) {
      if (size - at < unit) return false;
      const bool end = is_zero(at);
      at += unit;
      if (end) break;
    }
    if (size - at < unit) return false;
    if (is_zero(at)) return true;
  }
}

}  // namespace

bool ValidateDropList(const unsigned char* data, std::size_t size) {
  if (data == nullptr || size < kDropFilesHeaderSize) return false;
  const std::uint32_t files = ReadLe32(data);
  const bool wide = ReadLe32(data + 16) != 0;
  if (files < kDropFilesHeaderSize || files >= size) return false;
  return ListTerminatedWithin(data, size, files, wide ? 2 : 1);
}

}  // namespace vlpd
