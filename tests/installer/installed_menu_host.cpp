// Plays Explorer for the handler as an installer left it: creates it through COM from the
// registry alone (CoCreateInstance with its CLSID, in this program's registry view), initialises it
// with the shell's data object for one real file, lets it fill a real popup menu and prints what
// came of it, one fact a line:
//   module PATH        the VLPDMenu.dll that COM loaded
//   query HRESULT      what QueryContextMenu returned, in hex
//   submenu CAPTION    the caption of the item that opens a submenu
//   commands COUNT     the submenu's command items
// Usage: installed_menu_host FOLDER NAME. Exits 0 once the handler was created, 1 when a step
// before that failed, 2 on wrong arguments.
#include <windows.h>
// The shell headers need windows.h first.
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "server/clsid.h"
#include "tests/host/menu_reader.h"
#include "tests/host/shell_data_object.h"
#include "tests/support/vlpd_dll.h"
#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

constexpr UINT kFirstId = 100;

int Run(const std::string& folder, const std::string& name) {
  const ComApartment apartment;
  ComRef<IDataObject> data = ShellDataObject(folder, {name});
  if (!data) {
    std::fprintf(stderr, "no data object for %s\\%s\n", folder.c_str(), name.c_str());
    return 1;
  }
  ComRef<IContextMenu> handler;
  const HRESULT created = CoCreateInstance(kClsidVLPDMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                           reinterpret_cast<void**>(handler.Put()));
  if (FAILED(created)) {
    std::fprintf(stderr, "CoCreateInstance failed: 0x%08lX\n", static_cast<unsigned long>(created));
    return 1;
  }
  char module[MAX_PATH] = {};
  GetModuleFileNameA(GetModuleHandleA("VLPDMenu.dll"), module, MAX_PATH);
  std::printf("module %s\n", module);

  ShownMenu shown;
  ShowMenu(handler.Get(), data.Get(), shown, kFirstId);
  std::printf("query 0x%08lX\n", static_cast<unsigned long>(shown.query_result));
  for (const ReadItem& item : ReadMenu(shown.menu)) {
    if (item.submenu == nullptr) continue;
    int commands = 0;
    for (const ReadItem& entry : ReadMenu(item.submenu)) {
      if (!entry.separator && entry.id >= kFirstId) ++commands;
    }
    std::printf("submenu %s\ncommands %d\n", item.label.c_str(), commands);
  }
  return 0;
}

}  // namespace
}  // namespace vlpd::test

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: installed_menu_host FOLDER NAME\n");
    return 2;
  }
  return vlpd::test::Run(argv[1], argv[2]);
}
