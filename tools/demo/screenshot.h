// Screenshots of what the demo shows on the (virtual) screen, written as PNG files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vlpd::demo {

// The smallest screen rectangle holding all the windows, kept on the screen.
RECT AreaOf(const std::vector<HWND>& windows);

// Copies that part of the screen into a 24-bit picture and writes it as PNG to `path` (an ANSI
// path). False when the copy or the file fails.
bool SaveScreenArea(const RECT& area, const std::string& path);

}  // namespace vlpd::demo
