// The extension's settings as a test writes them: values under the user's key or the policies',
// both keys removed before and after.
#pragma once

#include <windows.h>

#include <vector>

namespace vlpd::test {

struct SettingValue {
  bool policy;  // under the policies' key (HKLM), else the user's (HKCU)
  const char* name;
  DWORD value;
  DWORD type = REG_DWORD;  // another type holds the same four bytes, or REG_SZ the number as text
};

class SettingsGuard {
 public:
  SettingsGuard() { Clear(); }
  ~SettingsGuard() { Clear(); }
  SettingsGuard(const SettingsGuard&) = delete;
  SettingsGuard& operator=(const SettingsGuard&) = delete;

  // Removes both keys, then writes `values`; false when one could not be written.
  bool Set(const std::vector<SettingValue>& values);
  void Clear();
};

}  // namespace vlpd::test
