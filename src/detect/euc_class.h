// The Japanese EUC byte class table read by the encoding detector. Flag 0x80 serves the
// Shift-JIS scan: the bytes it refuses at a character start (half-width katakana, which is rare
// in text files and common in EUC, and the user-defined leads from 0xF0).
#pragma once

#include <array>
#include <cstdint>

namespace vlpd {

inline constexpr std::uint8_t kEucLead = 0x01;          // 0xA1-0xFE
inline constexpr std::uint8_t kEucTrail = 0x02;         // 0xA1-0xFE
inline constexpr std::uint8_t kEucSingleShift2 = 0x04;  // 0x8E
inline constexpr std::uint8_t kEucSingleShift3 = 0x08;  // 0x8F
inline constexpr std::uint8_t kEucNever = 0x40;         // 0x90-0x9F
inline constexpr std::uint8_t kNotSjisStart = 0x80;     // 0xA1-0xDF, 0xF0-0xFE

constexpr std::array<std::uint8_t, 256> MakeEucClass() {
  std::array<std::uint8_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    std::uint8_t flags = 0;
    if (b >= 0xA1 && b <= 0xFE) flags |= kEucLead | kEucTrail;
    if (b == 0x8E) flags |= kEucSingleShift2;
    if (b == 0x8F) flags |= kEucSingleShift3;
    if (b >= 0x90 && b <= 0x9F) flags |= kEucNever;
    if ((b >= 0xA1 && b <= 0xDF) || (b >= 0xF0 && b <= 0xFE)) flags |= kNotSjisStart;
    table[b] = flags;
  }
  return table;
}

inline constexpr std::array<std::uint8_t, 256> kEucClass = MakeEucClass();

}  // namespace vlpd
