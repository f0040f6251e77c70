#include "commands/read_settings.h"

#include <windows.h>

#include "win/unique_handle.h"

namespace vlpd {
namespace {

// Every setting's value under `subkey` of `root`; none given where the key is missing. The 64-bit
// view, where a policy is written, also from a 32-bit process; a 32-bit Windows ignores the flag.
StoredValues ReadKey(HKEY root, const char* subkey) {
  StoredValues values{};
  RegKey key;
  if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.Put()) != ERROR_SUCCESS) {
    return values;
  }
  for (int i = 0; i < kSettingCount; ++i) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG result = RegQueryValueExA(key.Get(), kSettingRows[i].name, nullptr, &type,
                                         reinterpret_cast<BYTE*>(&value), &size);
    values[i] = {result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value, value};
  }
  return values;
}

}  // namespace

Settings ReadSettings() {
  return MergeSettings(ReadKey(HKEY_LOCAL_MACHINE, kPolicyKey), ReadKey(HKEY_CURRENT_USER, kSettingsKey));
}

}  // namespace vlpd
