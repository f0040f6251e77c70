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

unsigned long ReadWindowsBuildNumber() {
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

// Whether this process's architecture is the machine's. IsWow64Process2 came with Windows 10
// 1709; before it only WOW64 (a 32-bit process on x64) could make a process foreign.
bool ReadNativeProcess() {
  using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, BOOL*);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return true;
  if (const auto is_wow64_process2 = reinterpret_cast<IsWow64Process2Function>(
          reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process2")))) {
    USHORT process = IMAGE_FILE_MACHINE_UNKNOWN;
    USHORT machine = IMAGE_FILE_MACHINE_UNKNOWN;
    if (!is_wow64_process2(GetCurrentProcess(), &process, &machine)) return true;
    // Under WOW64 `process` names the emulated machine; an emulated x64 process on ARM64 is not
    // WOW64, so the compiled machine is compared with the native one as well.
    if (process != IMAGE_FILE_MACHINE_UNKNOWN) return false;
#if defined(__x86_64__)
    return machine == IMAGE_FILE_MACHINE_AMD64;
#elif defined(__aarch64__)
    return machine == IMAGE_FILE_MACHINE_ARM64;
#else
    return machine == IMAGE_FILE_MACHINE_I386;
#endif
  }
  const auto is_wow64_process = reinterpret_cast<IsWow64ProcessFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process")));
  BOOL wow64 = FALSE;
  return is_wow64_process == nullptr || !is_wow64_process(GetCurrentProcess(), &wow64) || !wow64;
}

}  // namespace

unsigned long WindowsBuildNumber() {
  static const unsigned long kBuild = ReadWindowsBuildNumber();
  return kBuild;
}

bool NativeProcess() {
  static const bool kNative = ReadNativeProcess();
  return kNative;
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
  return probe.build_number() >= kFirstWindows11Build && probe.native_process() && probe.package_registered();
}

}  // namespace vlpd
