// The server's one class identifier. Fixed for good: registry entries and callers depend on it.
#pragma once

#include <windows.h>

namespace vlpd {

// {0B6A3946-3576-42A4-99A1-C99BBFFCE590}
inline constexpr CLSID kClsidVLPDMenu = {
    0x0b6a3946, 0x3576, 0x42a4, {0x99, 0xa1, 0xc9, 0x9b, 0xbf, 0xfc, 0xe5, 0x90}};

}  // namespace vlpd
