// The few Windows values the portable core repeats so that it needs no Windows header; each is
// checked against windows.h by the Windows layer (win/windows_values_check.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vlpd {

// Menu flags as InsertMenuA takes them.
inline constexpr std::uint32_t kItemEnabled = 0x400;  // MF_BYPOSITION | MF_STRING
inline constexpr std::uint32_t kItemGrayed = 0x403;   // MF_BYPOSITION | MF_GRAYED | MF_DISABLED
inline constexpr std::uint32_t kSeparator = 0xC00;    // MF_BYPOSITION | MF_SEPARATOR
inline constexpr std::uint32_t kPopup = 0x410;        // MF_BYPOSITION | MF_POPUP

// QueryContextMenu flags, as the shell passes them.
inline constexpr std::uint32_t kMenuDefaultOnly = 0x1;      // CMF_DEFAULTONLY
inline constexpr std::uint32_t kMenuVerbsOnly = 0x2;        // CMF_VERBSONLY
inline constexpr std::uint32_t kMenuExplore = 0x4;          // CMF_EXPLORE
inline constexpr std::uint32_t kMenuNoVerbs = 0x8;          // CMF_NOVERBS
inline constexpr std::uint32_t kMenuExtendedVerbs = 0x100;  // CMF_EXTENDEDVERBS: Shift is held

// A GUID as Windows lays it out.
struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

constexpr bool operator==(const Guid& a, const Guid& b) {
  if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.data4[i] != b.data4[i]) return false;
  }
  return true;
}
constexpr bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }

// The size of DROPFILES, the header of a drop list.
inline constexpr std::size_t kDropFilesHeaderSize = 20;  // pFiles, pt.x, pt.y, fNC, fWide

}  // namespace vlpd
