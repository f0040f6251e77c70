// DllRegisterServer and DllUnregisterServer: the registry, the CLSID text and the module path
// for the registration walks of server/registry_rows.h.
#include <olectl.h>
#include <windows.h>

#include <utility>

#include "server/clsid.h"
#include "server/registry_rows.h"
#include "win/ansi_path.h"
#include "win/com_owners.h"
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

  bool InOtherView(const char* path) override {
    // 32-bit Windows ignores the flag and reads its one view.
    constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    RegKey key;
    return RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ | kOtherView, key.Put()) == ERROR_SUCCESS;
  }

 private:
  RegKey open_;
};

// A CLSID in its registry form, in the ANSI code page; left empty when StringFromIID gives no
// string or the conversion fails, which the walks take as "nothing to do".
void MakeClsidText(const CLSID& clsid, char (&text)[kRegistryTextSize]) {
  text[0] = '\0';
  TaskMemory<OLECHAR> wide;
  StringFromIID(clsid, wide.Put());
  if (!wide) return;
  if (WideCharToMultiByte(CP_ACP, 0, wide.Get(), -1, text, sizeof text, nullptr, nullptr) == 0)
    text[0] = '\0';
}

// The texts of both classes, in ServerClass order.
class ServerClsidTexts {
 public:
  ServerClsidTexts() {
    MakeClsidText(kClsidVLPDMenu, context_menu_);
    MakeClsidText(kClsidVLPDCommand, explorer_command_);
  }
  ClsidTexts Get() const { return {{context_menu_, explorer_command_}}; }

 private:
  char context_menu_[kRegistryTextSize];
  char explorer_command_[kRegistryTextSize];
};

// This DLL's path as the ANSI registry values must hold it. False when the system code page cannot
// write it exactly (a look-alike, cafe for café, would have the shell load whatever lies there) or
// it does not fit 260 bytes.
bool ExactModulePath(char (&path)[kAnsiPathBufferSize]) {
  wchar_t wide[MAX_PATH + 1];
  // A path that fills the buffer may have been cut.
  const DWORD units = GetModuleFileNameW(ModuleInstance(), wide, MAX_PATH + 1);
  std::size_t length = 0;
  return units > 0 && units <= MAX_PATH && ToAnsiPath(wide, units, path, &length) == AnsiPathKind::kExact;
}

}  // namespace
}  // namespace vlpd

STDAPI DllRegisterServer() {
  const vlpd::ServerClsidTexts clsids;
  char module_path[vlpd::kAnsiPathBufferSize] = {};
  if (!vlpd::ExactModulePath(module_path)) return SELFREG_E_CLASS;
  vlpd::WindowsRegistry registry;
  return vlpd::ApplyRegistration(registry, clsids.Get(), module_path) ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
  const vlpd::ServerClsidTexts clsids;
  vlpd::WindowsRegistry registry;
  return vlpd::ApplyUnregistration(registry, clsids.Get()) ? S_OK : SELFREG_E_CLASS;
}
