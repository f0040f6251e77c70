// The value of the server's one class identifier, free of Windows headers, so that the build
// machine's program that writes the installer's registry rows reads the same value as
// server/clsid.h. Fixed for good: registry entries and callers depend on it.
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

// {0B6A3946-3576-42A4-99A1-C99BBFFCE590}
inline constexpr ClsidValue kClsidValue = {
    0x0b6a3946, 0x3576, 0x42a4, {0x99, 0xa1, 0xc9, 0x9b, 0xbf, 0xfc, 0xe5, 0x90}};

}  // namespace vlpd
