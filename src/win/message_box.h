// The one way the commands talk to the user: an OK-only message box with an icon, its texts
// given in code page 932 and shown in Unicode.
#pragma once

#include <windows.h>

namespace vlpd {

// `icon` is MB_ICONERROR or MB_ICONWARNING; `owner` null for the launch and copy messages.
void ShowMessage(const char* text, const char* title, UINT icon, HWND owner = nullptr);

}  // namespace vlpd
