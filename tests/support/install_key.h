// The editor's install key under HKCU, set as a test needs it and put back afterwards.
#pragma once

#include <windows.h>

#include <string>

namespace vlpd::test {

bool InstallKeyExists();
void RemoveInstallKey();
// Stores `bytes` as the value INSTALL, exactly these bytes: Wine's RegSetValueExA counts a
// terminator the caller left out when one follows in memory, so a non-NUL byte follows here.
// False when the value could not be stored.
bool SetInstall(DWORD type, const std::string& bytes);
// A terminated REG_SZ value.
bool SetInstallFolder(const std::string& folder);

// The install key as it was before a test, put back afterwards; removed in between.
class InstallKeyGuard {
 public:
  InstallKeyGuard();
  ~InstallKeyGuard();
  InstallKeyGuard(const InstallKeyGuard&) = delete;
  InstallKeyGuard& operator=(const InstallKeyGuard&) = delete;

 private:
  bool parent_existed_ = false;
  bool existed_ = false;
  bool had_value_ = false;
  DWORD type_ = 0;
  std::string value_;
};

}  // namespace vlpd::test
