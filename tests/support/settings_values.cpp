#include "tests/support/settings_values.h"

#include <string>

#include "commands/settings.h"
#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

// The view the DLL reads (see commands/read_settings.cpp).
constexpr REGSAM kView = KEY_WOW64_64KEY;

HKEY Root(bool policy) { return policy ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
const char* Path(bool policy) { return policy ? kPolicyKey : kSettingsKey; }

}  // namespace

bool SettingsGuard::Set(const std::vector<SettingValue>& values) {
  Clear();
  for (const SettingValue& value : values) {
    RegKey key;
    if (RegCreateKeyExA(Root(value.policy), Path(value.policy), 0, nullptr, 0, KEY_SET_VALUE | kView, nullptr,
                        key.Put(), nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const std::string text = std::to_string(value.value);
    const bool as_text = value.type == REG_SZ;
    const auto* bytes =
        as_text ? reinterpret_cast<const BYTE*>(text.c_str()) : reinterpret_cast<const BYTE*>(&value.value);
    const DWORD size = as_text ? static_cast<DWORD>(text.size() + 1) : sizeof value.value;
    if (RegSetValueExA(key.Get(), value.name, 0, value.type, bytes, size) != ERROR_SUCCESS) return false;
  }
  return true;
}

void SettingsGuard::Clear() {
  for (bool policy : {false, true}) RegDeleteKeyExA(Root(policy), Path(policy), kView, 0);
}

}  // namespace vlpd::test
