// Plays the Explorer of Windows 11: the command tree of a root command, the shell item arrays it
// hands over (Wine's own, or fakes with the odd shapes a shell may produce), and the site that
// names the owner window. Shared by the Wine tests and the demo; no test framework inside.
#pragma once

#include <windows.h>
// The shell headers need windows.h first.
#include <shobjidl.h>

#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace vlpd::test {

// The root's subcommands in order, as its enumerator hands them out one at a time.
std::vector<ComRef<IExplorerCommand>> SubCommands(IExplorerCommand* root);

// What the menu shows of one command for `items`; strings as UTF-16, empty where not given.
struct ShownCommand {
  EXPCMDFLAGS flags = 0;
  std::wstring title;
  std::wstring tip;
  HRESULT state_result = E_FAIL;
  EXPCMDSTATE state = 0;
};
// Asks for the state as Explorer does: first without touching the disk, again when told E_PENDING.
ShownCommand ShowCommand(IExplorerCommand* command, IShellItemArray* items);

// The item array Wine's shell makes of a data object (its ID list), as Explorer passes it.
ComRef<IShellItemArray> ShellItemArray(IDataObject* data);
// An array of one item outside the file system (the computer folder).
ComRef<IShellItemArray> VirtualItemArray();

// A hand-made item array: `count` items named `prefix` + number (or the `paths` given), each in
// the file system unless told otherwise, with GetDisplayName failing when `failing_names`.
struct FakeItems {
  std::vector<std::wstring> paths;
  std::size_t count = 0;
  std::wstring prefix = L"C:\\fake\\item";
  bool file_system = true;
  bool failing_names = false;
};
ComRef<IShellItemArray> FakeItemArray(FakeItems items);

// Invokes `command` with a site that answers IOleWindow with `owner`, as Explorer's menu
// presenter does for the chosen item.
HRESULT InvokeWithOwner(IExplorerCommand* command, IShellItemArray* items, HWND owner);

}  // namespace vlpd::test
