#include "tests/support/install_key.h"

#include "commands/install_folder.h"
#include "product.h"
#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

constexpr char kParentKeyPath[] = "SOFTWARE\\" VLPD_MAKER;

}  // namespace

bool InstallKeyExists() {
  RegKey key;
  return RegOpenKeyExA(HKEY_CURRENT_USER, kInstallKeyPath, 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

void RemoveInstallKey() { RegDeleteTreeA(HKEY_CURRENT_USER, kInstallKeyPath); }

bool SetInstall(DWORD type, const std::string& bytes) {
  RegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kInstallKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::string stored = bytes + "X";
  return RegSetValueExA(key.Get(), kInstallValueName, 0, type, reinterpret_cast<const BYTE*>(stored.data()),
                        static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

bool SetInstallFolder(const std::string& folder) {
  return SetInstall(REG_SZ, std::string(folder.c_str(), folder.size() + 1));
}

InstallKeyGuard::InstallKeyGuard() {
  {
    RegKey parent;
    parent_existed_ =
        RegOpenKeyExA(HKEY_CURRENT_USER, kParentKeyPath, 0, KEY_READ, parent.Put()) == ERROR_SUCCESS;
  }
  RegKey key;
  existed_ = RegOpenKeyExA(HKEY_CURRENT_USER, kInstallKeyPath, 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
  DWORD size = 0;
  if (existed_ &&
      RegQueryValueExA(key.Get(), kInstallValueName, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
    value_.resize(size);
    had_value_ = RegQueryValueExA(key.Get(), kInstallValueName, nullptr, &type_,
                                  reinterpret_cast<BYTE*>(value_.data()), &size) == ERROR_SUCCESS;
    value_.resize(size);
  }
  RemoveInstallKey();
}

InstallKeyGuard::~InstallKeyGuard() {
  RemoveInstallKey();
  // The lookup creates the whole path; a parent that was not there before goes again.
  if (!parent_existed_) RegDeleteKeyA(HKEY_CURRENT_USER, kParentKeyPath);
  if (!existed_) return;
  RegKey key;
  RegCreateKeyExA(HKEY_CURRENT_USER, kInstallKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(),
                  nullptr);
  if (had_value_) {
    RegSetValueExA(key.Get(), kInstallValueName, 0, type_, reinterpret_cast<const BYTE*>(value_.data()),
                   static_cast<DWORD>(value_.size()));
  }
}

}  // namespace vlpd::test
