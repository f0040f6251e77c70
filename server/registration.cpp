// DllRegisterServer and DllUnregisterServer: the registry, the CLSID text and the module path
// for the registration walks of server/registry_rows.h.
#include <olectl.h>
#include <windows.h>

#include <utility>

#include "server/clsid.h"
#include "server/registry_rows.h"
#include "text/path.h"
#include "win/module_state.h"
#include "win/unique_handle.h"

namespace vlpd {
namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148, "GetVersionExA is given the 148-byte structure");

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::kClassesRoot ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
}

class WindowsRegistry final : public RegistryApplier {
 public:
  bool CreateKey(RegistryRoot root, const char* path) override {
    RegKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(RootKey(root), path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.Put(), &disposition) != ERROR_SUCCESS) {
      return false;
    }
    open_ = std::move(key);
    return true;
  }

  void SetValue(const char* name, const char* data, std::size_t stored_length) override {
    RegSetValueExA(open_.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>(stored_length));
  }

  void CloseKey() override { open_.Reset(); }

  bool DeleteKey(RegistryRoot root, const char* path) override {
    return RegDeleteKeyA(RootKey(root), path) == ERROR_SUCCESS;
  }

  void DeleteValue(RegistryRoot root, const char* path, const char* name) override {
    // Opened, not created: a missing key has no value to remove.
    RegKey key;
    if (RegOpenKeyExA(RootKey(root), path, 0, KEY_SET_VALUE, key.Put()) != ERROR_SUCCESS) return;
    RegDeleteValueA(key.Get(), name);
  }

  bool IsNtPlatform() override {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  }

 private:
  RegKey open_;
};

// The CLSID in its registry form, in the ANSI code page; left empty when StringFromIID gives no
// string or the conversion fails, which the walks take as "nothing to do".
void MakeClsidText(char (&text)[kRegistryTextSize]) {
  text[0] = '\0';
  LPOLESTR wide = nullptr;
  StringFromIID(kClsidVLPDMenu, &wide);
  if (wide == nullptr) return;
  if (WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr) == 0) text[0] = '\0';
  ComRef<IMalloc> allocator;
  if (SUCCEEDED(CoGetMalloc(MEMCTX_TASK, allocator.Put())) && allocator) allocator->Free(wide);
}

}  // namespace
}  // namespace vlpd

STDAPI DllRegisterServer() {
  char clsid_text[vlpd::kRegistryTextSize] = {};
  vlpd::MakeClsidText(clsid_text);
  // One byte more than GetModuleFileNameA may fill, so the path is terminated even when cut.
  char module_path[vlpd::kPathBufferSize] = {};
  GetModuleFileNameA(vlpd::ModuleInstance(), module_path, vlpd::kMaxPath);
  vlpd::WindowsRegistry registry;
  return vlpd::ApplyRegistration(registry, clsid_text, module_path) ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
  char clsid_text[vlpd::kRegistryTextSize] = {};
  vlpd::MakeClsidText(clsid_text);
  vlpd::WindowsRegistry registry;
  return vlpd::ApplyUnregistration(registry, clsid_text) ? S_OK : SELFREG_E_CLASS;
}
