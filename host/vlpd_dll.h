// The built VLPDMenu.dll, loaded as the shell loads it, for tests that play the shell.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <string>

#include "host/classic_menu_host.h"
#include "win/com_owners.h"
#include "win/unique_handle.h"

namespace vlpd::test {

class VlpdDll {
 public:
  // Loads the DLL found next to the test program or up to three folders above it.
  VlpdDll();

  bool Loaded() const { return module_.Valid(); }
  HMODULE Module() const { return module_.Get(); }
  const std::string& Path() const { return path_; }

  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const;
  HRESULT CanUnloadNow() const;
  // A new handler through a new class factory, as the shell makes one per context menu.
  ComRef<IContextMenu> CreateHandler() const;
  // A new root of the Windows 11 menu, made the same way.
  ComRef<IExplorerCommand> CreateExplorerCommand() const;

 private:
  std::string path_;
  ModuleReference module_;
  HRESULT(STDAPICALLTYPE* get_class_object_)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT(STDAPICALLTYPE* can_unload_now_)() = nullptr;
};

// Initialize + QueryContextMenu on a new popup menu, the way Explorer drives a handler.
struct ShownMenu {
  HRESULT init_result = E_FAIL;
  HRESULT query_result = E_FAIL;
  MenuHandle menu;
};
void ShowMenu(IContextMenu* handler, IDataObject* data, ShownMenu& shown, UINT first_id = kFirstId,
              UINT flags = CMF_NORMAL);

// Plays the shell for one command: a new handler, Initialize with `data`, QueryContextMenu on a
// new menu, then InvokeCommand with `verb`, `owner` and the invoking folder `directory`.
HRESULT InvokeOnNewHandler(const VlpdDll& dll, IDataObject* data, LPCSTR verb, HWND owner = nullptr,
                           const char* directory = nullptr);

// A file of the build tree: `relative` below the test program's folder or up to three folders above
// it. Empty when there is none.
std::string FindInBuildTree(const std::string& relative);

}  // namespace vlpd::test
