#include "host/vlpd_dll.h"

#include "server/clsid.h"

namespace vlpd::test {
std::string FindInBuildTree(const std::string& relative) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir = path;
  for (int level = 0; level < 4; ++level) {
    const size_t slash = dir.find_last_of('\\');
    if (slash == std::string::npos) break;
    dir.resize(slash);
    const std::string candidate = dir + "\\" + relative;
    if (GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) return candidate;
  }
  return {};
}

VlpdDll::VlpdDll() : path_(FindInBuildTree("VLPDMenu.dll")) {
  if (path_.empty()) return;
  module_.Reset(LoadLibraryA(path_.c_str()));
  if (!module_) return;
  get_class_object_ = reinterpret_cast<decltype(get_class_object_)>(
      reinterpret_cast<void*>(GetProcAddress(module_.Get(), "DllGetClassObject")));
  can_unload_now_ = reinterpret_cast<decltype(can_unload_now_)>(
      reinterpret_cast<void*>(GetProcAddress(module_.Get(), "DllCanUnloadNow")));
}

HRESULT VlpdDll::GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
  return get_class_object_ != nullptr ? get_class_object_(clsid, iid, out) : E_FAIL;
}

HRESULT VlpdDll::CanUnloadNow() const { return can_unload_now_ != nullptr ? can_unload_now_() : E_FAIL; }

ComRef<IContextMenu> VlpdDll::CreateHandler() const {
  ComRef<IContextMenu> handler;
  ComRef<IClassFactory> factory;
  if (SUCCEEDED(GetClassObject(kClsidVLPDMenu, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())))) {
    factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(handler.Put()));
  }
  return handler;
}

ComRef<IExplorerCommand> VlpdDll::CreateExplorerCommand() const {
  ComRef<IExplorerCommand> command;
  ComRef<IClassFactory> factory;
  if (SUCCEEDED(
          GetClassObject(kClsidVLPDCommand, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())))) {
    factory->CreateInstance(nullptr, IID_IExplorerCommand, reinterpret_cast<void**>(command.Put()));
  }
  return command;
}

void ShowMenu(IContextMenu* handler, IDataObject* data, ShownMenu& shown, UINT first_id, UINT flags) {
  ComRef<IShellExtInit> init;
  if (FAILED(handler->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put())))) return;
  shown.init_result = init->Initialize(nullptr, data, nullptr);
  shown.menu.Reset(CreatePopupMenu());
  shown.query_result = handler->QueryContextMenu(shown.menu.Get(), 0, first_id, first_id + 0x7FFF, flags);
}

HRESULT InvokeOnNewHandler(const VlpdDll& dll, IDataObject* data, LPCSTR verb, HWND owner,
                           const char* directory) {
  ComRef<IContextMenu> handler = dll.CreateHandler();
  if (!handler) return E_FAIL;
  ShownMenu shown;
  ShowMenu(handler.Get(), data, shown);
  if (FAILED(shown.init_result)) return shown.init_result;
  return InvokeCommand(handler.Get(), verb, owner, directory);
}

}  // namespace vlpd::test
