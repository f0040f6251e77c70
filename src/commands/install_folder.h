// The editor's install folder, recorded by its installer in the current user's registry.
#pragma once

#include <cstddef>

#include "product.h"

namespace vlpd {

inline constexpr char kInstallKeyPath[] = "SOFTWARE\\" VLPD_MAKER "\\" VLPD_EDITOR_TITLE;  // under HKCU
inline constexpr char kInstallValueName[] = "INSTALL";

// Reads the REG_SZ value into `buffer` (at most size - 1 bytes, always terminated) and returns 1;
// returns 0 when the value is missing, longer, or of another type. Opens the key with create
// semantics, so it exists afterwards; when even that fails the user is told, and 0 returned.
int GetInstallFolder(char* buffer, std::size_t size);

}  // namespace vlpd
