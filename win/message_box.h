// The one way the commands talk to the user: an OK-only message box with an icon.
#pragma once

#include <windows.h>

namespace vlpd {

// `icon` is MB_ICONERROR or MB_ICONWARNING; `owner` null for the launch and copy messages.
void ShowMessage(const char* text, const char* title, UINT icon, HWND owner = nullptr);

}  // namespace vlpd
