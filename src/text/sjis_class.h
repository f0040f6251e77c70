// The Shift-JIS (code page 932) byte class table shared by every path scan and the detector.
#pragma once

#include <array>
#include <cstdint>

namespace vlpd {

inline constexpr std::uint16_t kSjisLead = 0x0001;   // 0x81-0x9F, 0xE0-0xFC
inline constexpr std::uint16_t kSjisTrail = 0x0002;  // 0x40-0x7E, 0x80-0xFC

constexpr std::array<std::uint16_t, 256> MakeSjisClass() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    std::uint16_t flags = 0;
    if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) flags |= kSjisLead;
    if ((b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC)) flags |= kSjisTrail;
    table[b] = flags;
  }
  return table;
}

inline constexpr std::array<std::uint16_t, 256> kSjisClass = MakeSjisClass();

inline bool IsSjisLead(unsigned char b) { return (kSjisClass[b] & kSjisLead) != 0; }
inline bool IsSjisTrail(unsigned char b) { return (kSjisClass[b] & kSjisTrail) != 0; }

}  // namespace vlpd
