// The demo's window: a folder view to right-click in, on which the context menu is opened on the
// screen for a screenshot.
#pragma once

#include <windows.h>

#include <string>

namespace vlpd::demo {

// Lists `folder` (ANSI), folders first, and shows it in a new window. Null when there is none.
HWND ShowFolderView(const std::string& folder);

// Marks the entry `name` (ANSI) as the selection and lets the window repaint.
void HighlightEntry(HWND window, const std::string& name);

// Dispatches this thread's window messages for `ms` milliseconds.
void PumpMessages(DWORD ms);

struct SubmenuShot {
  bool opened = false;
  bool saved = false;
};

// Shows the context menu on the folder view next to the highlighted entry, opens the handler's
// submenu with the keyboard and saves a screenshot of both to `path` (ANSI).
SubmenuShot ShootSubmenu(HWND window, HMENU menu, const std::string& path);

}  // namespace vlpd::demo
