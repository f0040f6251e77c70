#include "classic_menu/packaged_menu.h"

#include <windows.h>

#include <cwchar>

#include "classic_menu/package_location.h"
#include "product.h"
#include "win/module_state.h"
#include "win/unique_handle.h"

namespace vlpd {
namespace {

// A package's full name starts with its identity name and an underscore (names have none).
constexpr char kPackagePrefix[] = VLPD_PACKAGE_NAME "_";
constexpr std::size_t kPrefixLength = sizeof kPackagePrefix / sizeof kPackagePrefix[0] - 1;

// Where Windows lists the packages registered for a user, one subkey per package full name.
constexpr wchar_t kUserPackagesKey[] =
    L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\Repository"
    L"\\Packages";

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Package names are ASCII and compared without case (CompareStringOrdinal would need Vista).
bool StartsWithPackagePrefix(const wchar_t* name) {
  for (std::size_t i = 0; i < kPrefixLength; ++i) {
    if (AsciiLower(name[i]) != AsciiLower(static_cast<unsigned char>(kPackagePrefix[i]))) return false;
  }
  return true;
}

// Whether the package key `full_name` below `packages` records this DLL's folder as its location.
bool InstalledHere(HKEY packages, const wchar_t* full_name) {
  RegKey package;
  if (RegOpenKeyExW(packages, full_name, 0, KEY_QUERY_VALUE, package.Put()) != ERROR_SUCCESS) return false;
  wchar_t location[MAX_PATH + 1] = {};
  DWORD size = sizeof location - sizeof location[0];
  DWORD type = 0;
  if (RegQueryValueExW(package.Get(), L"PackageRootFolder", nullptr, &type, reinterpret_cast<BYTE*>(location),
                       &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  wchar_t module[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameW(ModuleInstance(), module, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return false;
  return IsFolderOf(location, std::wstring_view(module, length));
}

}  // namespace

unsigned long WindowsBuildNumber() {
  RegKey key;
  // The 64-bit view where there is one; a 32-bit Windows ignores the flag.
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.Put()) != ERROR_SUCCESS) {
    return 0;
  }
  wchar_t text[16] = {};
  DWORD size = sizeof text - sizeof text[0];
  DWORD type = 0;
  if (RegQueryValueExW(key.Get(), L"CurrentBuildNumber", nullptr, &type, reinterpret_cast<BYTE*>(text),
                       &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return 0;
  }
  return std::wcstoul(text, nullptr, 10);
}

bool PackageRegisteredForUser() {
  RegKey packages;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUserPackagesKey, 0, KEY_ENUMERATE_SUB_KEYS, packages.Put()) !=
      ERROR_SUCCESS) {
    return false;
  }
  // A full name has at most 127 characters; a longer one is not ours and is skipped.
  wchar_t name[128];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name / sizeof name[0];
    const LONG result =
        RegEnumKeyExW(packages.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) return false;
    if (length > kPrefixLength && StartsWithPackagePrefix(name) && InstalledHere(packages.Get(), name))
      return true;
  }
}

bool PackagedMenuShowsOurCommands(const PackagedMenuProbe& probe) {
  return probe.build_number() >= kFirstWindows11Build && probe.package_registered();
}

}  // namespace vlpd
