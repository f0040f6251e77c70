// Module-wide state of the DLL: its instance handle and the count of live COM objects.
#pragma once

#include <windows.h>

#include "product.h"

namespace vlpd {

// The module's icon resource: the classic caption's bitmap and the Windows 11 menu's icon.
inline constexpr int kModuleIconId = VLPD_ICON_ID;

// The instance handle recorded at process attach; null before that (and in test programs
// that link the Windows layer statically).
HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// Live class factories and handlers together. Objects in different apartments change the count
// from their own threads, so every update is interlocked.
void AddObject();
void RemoveObject();
LONG ObjectCount();

}  // namespace vlpd
