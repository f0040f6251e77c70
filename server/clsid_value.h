// The values of the server's class identifiers, free of Windows headers, so that the build
// machine's program that writes the installer's registry rows reads the same values as
// server/clsid.h. Fixed for good: registry entries, the package and callers depend on them.
#pragma once

#include <cstdint>

namespace vlpd {

// The fields of a GUID, in its layout.
struct ClsidValue {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

// The context-menu handler: {0B6A3946-3576-42A4-99A1-C99BBFFCE590}
inline constexpr ClsidValue kClsidValue = {
    0x0b6a3946, 0x3576, 0x42a4, {0x99, 0xa1, 0xc9, 0x9b, 0xbf, 0xfc, 0xe5, 0x90}};

// The command tree of the menu Windows 11 shows first (the package's manifest names it too):
// {7C3E5B2A-9D41-4F6E-A8B0-3E2D1C5F6A94}
inline constexpr ClsidValue kCommandClsidValue = {
    0x7c3e5b2a, 0x9d41, 0x4f6e, {0xa8, 0xb0, 0x3e, 0x2d, 0x1c, 0x5f, 0x6a, 0x94}};

}  // namespace vlpd
