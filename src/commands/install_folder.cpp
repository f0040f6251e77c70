#include "commands/install_folder.h"

#include <windows.h>

#include "commands/handler_text.h"
#include "win/message_box.h"
#include "win/unique_handle.h"

namespace vlpd {

int GetInstallFolder(char* buffer, std::size_t size) {
  if (size == 0) return 0;
  RegKey key;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kInstallKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, key.Put(), &disposition) != ERROR_SUCCESS) {
    ShowMessage(text::kMessageRegistryFailed, text::kTitleModule, MB_ICONERROR);
    return 0;
  }
  DWORD type = 0;
  // One byte stays spare: a value stored without its terminator still ends in one.
  const DWORD capacity = static_cast<DWORD>(size - 1);
  DWORD read = capacity;
  const LONG result =
      RegQueryValueExA(key.Get(), kInstallValueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &read);
  key.Reset();
  if (result != ERROR_SUCCESS || type != REG_SZ) return 0;
  buffer[read < capacity ? read : capacity] = '\0';
  return 1;
}

}  // namespace vlpd
