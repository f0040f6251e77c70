// The shell's part around a context-menu handler, played as Explorer plays it: the handler made
// through COM and the registry, the host's own items around the handler's, and the calls that ask
// for help texts and choose commands.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <string>

#include "win/unique_handle.h"

namespace vlpd::test {

// The first command identifier the host grants the handler; the host's own items lie below it.
constexpr UINT kFirstId = 100;

// A class identifier as the registry writes it, braces included.
std::string ClsidText(const CLSID& clsid);

// A handler made through the registry, as the shell makes one per right-click, and initialised
// with `data`. Empty on failure, with the reason in `error`.
ComRef<IContextMenu> NewRegisteredHandler(IDataObject* data, std::string& error);

// Fills a context menu as Explorer does: its own items, then the handler's, then its own.
// Returns the number of command identifiers the handler used, or -1 when it failed.
int BuildContextMenu(IContextMenu* handler, HMENU menu);

// The status-bar help text the handler gives for the command at `offset`, in code page 932 bytes.
std::string AskHelpText(IContextMenu* handler, UINT offset);

// Chooses `verb` (a command offset as MAKEINTRESOURCEA, or a verb's name), invoked from `owner` in
// the invoking folder `directory` (ANSI; null for none).
HRESULT InvokeCommand(IContextMenu* handler, LPCSTR verb, HWND owner, const char* directory);

}  // namespace vlpd::test
