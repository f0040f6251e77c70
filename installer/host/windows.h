// What server/clsid.h takes from <windows.h>, for the build machine's program that writes the
// installer's registry rows (registry_wxi.cpp): the layout of a GUID.
#pragma once

#include <cstdint>

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using CLSID = GUID;
