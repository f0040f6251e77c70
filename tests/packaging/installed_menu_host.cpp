// Plays Explorer for the handler as an installer left it: creates it through COM from the
// registry alone (CoCreateInstance with its CLSID, in this program's registry view), initialises it
// with the shell's data object for one real file, lets it fill a real popup menu and prints what
// came of it, one fact a line:
//   module PATH        the VLPDMenu.dll that COM loaded
//   query HRESULT      what QueryContextMenu returned, in hex
//   submenu CAPTION    the caption of the item that opens a submenu
//   commands N of M    the submenu's command items, and the command table's (this build's)
// Usage: installed_menu_host FOLDER NAME [DLL]. Given the DLL that a per-user package's rows name, it
// takes the class object from its DllGetClassObject (Wine 8's COM ignores the user's classes).
// Exits 0 once the handler was created, 1 when a step before that failed, 2 on wrong arguments.
#include <windows.h>
// The shell headers need windows.h first.
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "commands/command_table.h"
#include "host/menu_reader.h"
#include "host/shell_data_object.h"
#include "host/vlpd_dll.h"
#include "server/clsid.h"
#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

// The handler from the class object that DllGetClassObject of the DLL `path` gives; `library`
// keeps that DLL loaded.
HRESULT CreateFromDll(const char* path, ModuleReference& library, ComRef<IContextMenu>& handler) {
  library.Reset(LoadLibraryA(path));
  const auto get_class_object = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "DllGetClassObject")));
  if (get_class_object == nullptr) return CO_E_ERRORINDLL;
  ComRef<IClassFactory> factory;
  const HRESULT got =
      get_class_object(kClsidVLPDMenu, IID_IClassFactory, reinterpret_cast<void**>(factory.Put()));
  return FAILED(got)
             ? got
             : factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(handler.Put()));
}

int Run(const std::string& folder, const std::string& name, const char* dll) {
  const ComApartment apartment;
  ComRef<IDataObject> data = ShellDataObject(folder, {name});
  if (!data) {
    std::fprintf(stderr, "no data object for %s\\%s\n", folder.c_str(), name.c_str());
    return 1;
  }
  ModuleReference library;  // declared before the handler: released after it
  ComRef<IContextMenu> handler;
  const HRESULT created = dll != nullptr
                              ? CreateFromDll(dll, library, handler)
                              : CoCreateInstance(kClsidVLPDMenu, nullptr, CLSCTX_INPROC_SERVER,
                                                 IID_IContextMenu, reinterpret_cast<void**>(handler.Put()));
  if (FAILED(created)) {
    std::fprintf(stderr, "the handler was not created: 0x%08lX\n", static_cast<unsigned long>(created));
    return 1;
  }
  char module[MAX_PATH] = {};
  GetModuleFileNameA(GetModuleHandleA("VLPDMenu.dll"), module, MAX_PATH);
  std::printf("module %s\n", module);

  ShownMenu shown;
  ShowMenu(handler.Get(), data.Get(), shown, kFirstId);
  std::printf("query 0x%08lX\n", static_cast<unsigned long>(shown.query_result));
  for (const ReadItem& item : ReadMenu(shown.menu.Get())) {
    if (item.submenu == nullptr) continue;
    int commands = 0;
    for (const ReadItem& entry : ReadMenu(item.submenu)) {
      if (!entry.separator && entry.id >= kFirstId) ++commands;
    }
    std::printf("submenu %s\ncommands %d of %d\n", item.label.c_str(), commands, kCommandCount);
  }
  return 0;
}

}  // namespace
}  // namespace vlpd::test

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: installed_menu_host FOLDER NAME [DLL]\n");
    return 2;
  }
  return vlpd::test::Run(argv[1], argv[2], argc == 4 ? argv[3] : nullptr);
}
