// The editor's icon beside the submenu's caption: one 32-bit premultiplied bitmap for the process,
// sized for the system DPI, made at first use and freed when the DLL unloads.
#pragma once

#include <windows.h>

namespace vlpd {

// The bitmap, made on first call (from any thread; a bitmap made twice by a race is freed again);
// null when it cannot be made. The caller never frees it: menus only borrow it.
HBITMAP CaptionBitmap();

// Frees the bitmap; called as the DLL unloads, when no menu of ours is shown any more.
void FreeCaptionBitmap();

}  // namespace vlpd
