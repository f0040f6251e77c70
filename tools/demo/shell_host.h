// The shell's part in a right-click, played as Explorer plays it for a context-menu handler: the
// data object Wine's shell gives for the selection, the handler made through COM and the
// registry, the host's menu around the handler's items, and the calls that ask for help texts
// and choose commands.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace vlpd::demo {

// The first command identifier the host grants the handler; the host's own items lie below it.
constexpr UINT kFirstId = 100;

// The handler's class identifier as the registry writes it.
std::string ClsidText();

// A handler made through the registry, as the shell makes one per right-click, and initialised
// with `data`. Empty on failure, with the reason in `error`.
ComRef<IContextMenu> NewHandler(IDataObject* data, std::string& error);

// The host's menu; destroying it destroys the handler's submenu in it too.
struct PopupMenu {
  HMENU menu = CreatePopupMenu();
  PopupMenu() = default;
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;
  ~PopupMenu() {
    if (menu != nullptr) DestroyMenu(menu);
  }
};

// Fills a context menu as Explorer does: its own items, then the handler's, then its own.
// Returns the number of command identifiers the handler used, or -1 when it failed.
int BuildContextMenu(IContextMenu* handler, HMENU menu);

// The status-bar help text of the command at `offset`, in code page 932 bytes.
std::string HelpText(IContextMenu* handler, UINT offset);

// Chooses the command at `offset`, invoked from `window` in `folder` (ANSI).
HRESULT Invoke(IContextMenu* handler, UINT offset, HWND window, const std::string& folder);

}  // namespace vlpd::demo
