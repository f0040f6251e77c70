// Status-bar help texts by command offset, and the bounded copies GetCommandString makes of them.
#pragma once

#include <cstddef>

namespace vlpd {

// The code page 932 help text of command offset `offset`; null beyond the last command.
const char* HelpText(unsigned offset);

// Copies as much of the ANSI `text` as fits in `capacity` bytes with a terminator, never
// splitting a double-byte character, and returns the bytes copied without the terminator.
// Writes nothing when `capacity` is 0.
std::size_t CopyBoundedAnsi(const char* text, char* out, std::size_t capacity);

// The same for UTF-16 text (`Unit` is a 16-bit character type): never splits a surrogate pair.
template <typename Unit>
std::size_t CopyBoundedUtf16(const Unit* text, Unit* out, std::size_t capacity) {
  static_assert(sizeof(Unit) == 2, "UTF-16 units");
  if (capacity == 0) return 0;
  std::size_t n = 0;
  while (text[n] != 0 && n + 1 < capacity) ++n;
  const bool cut = text[n] != 0;
  if (cut && n > 0) {
    const auto last = static_cast<unsigned>(text[n - 1]);
    if (last >= 0xD800 && last <= 0xDBFF) --n;  // a high surrogate whose partner would not fit
  }
  for (std::size_t k = 0; k < n; ++k) out[k] = text[k];
  out[n] = 0;
  return n;
}

}  // namespace vlpd
