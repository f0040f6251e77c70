// The values of the server's class identifiers, free of Windows headers, so that the build
// machine's program that writes the installer's registry rows reads the same values as
// server/clsid.h. Both are set in packaging/release/product.cmake.
#pragma once

#include <cstdint>

#include "product.h"

namespace vlpd {

// The fields of a GUID, in its layout.
struct ClsidValue {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

// The context-menu handler.
inline constexpr ClsidValue kClsidValue = {VLPD_HANDLER_CLSID_FIELDS};

// The command tree of the menu Windows 11 shows first (the package's manifest names it too).
inline constexpr ClsidValue kCommandClsidValue = {VLPD_EXPLORER_COMMAND_CLSID_FIELDS};

}  // namespace vlpd
