// The installer packages in the 64-bit Wine prefix, run as a user runs them (msiexec /i, /x, /qn):
// every registration row in the registry view of its DLL, under HKEY_LOCAL_MACHINE per machine and
// HKEY_CURRENT_USER per user, both DLLs in place, the handler created by a 64-bit and a 32-bit
// program, nothing of ours left after removal, a later version that takes the place of the earlier
// one, no way back to the earlier one, and no package of one scope beside the other's. The Windows 11
// tests run in a prefix of their own (throwaway_prefix.sh), whose build number and native
// architecture they set. Every test
// starts and ends with the packages and all of their entries gone.
#include <windows.h>
// The installer and shell headers need windows.h first.
#include <gtest/gtest.h>
#include <msi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "commands/command_table.h"
#include "host/classic_menu_host.h"
#include "host/message_box_watcher.h"
#include "server/clsid.h"
#include "server/registry_rows.h"
#include "tests/packaging/installer_files.h"
#include "tests/support/file_version.h"
#include "tests/support/temp_dir.h"
#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// A file of the build machine as the Wine prefix sees it: its root is drive Z:.
std::string OnDriveZ(const char* unix_path) {
  std::string path = std::string("Z:") + unix_path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string ShellFolder(int folder) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// Who a package installs for: the machine's registry and programs folders, or the user's.
struct Scope {
  const char* name;
  HKEY root;
  std::string package;
};
const Scope kMachine = {"per machine", HKEY_LOCAL_MACHINE, OnDriveZ(kPackage)};
const Scope kUser = {"per user", HKEY_CURRENT_USER, OnDriveZ(kUserPackage)};

const std::string kUserFolder = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\VLPDMenu";
// One registry view with the DLL whose rows it holds and the programs that read it.
struct View {
  const char* name;
  REGSAM flag;                 // KEY_WOW64_64KEY or KEY_WOW64_32KEY
  WORD machine;                // of the DLL it holds on an x86-64 machine
  std::string machine_folder;  // where each package puts the DLL
  std::string user_folder;
  std::string built_dll;  // the file it must hold
  std::string next_dll;   // the one of the later version
  std::string host;       // installed_menu_host of the same kind
  std::string regsvr32;   // regsvr32.exe of the same kind
  const std::string& Folder(const Scope& scope) const {
    return &scope == &kUser ? user_folder : machine_folder;
  }
  std::string Dll(const Scope& scope) const { return Folder(scope) + "\\VLPDMenu.dll"; }
};

const std::vector<View>& Views() {
  static const std::vector<View> views = {
      {"64-bit view", KEY_WOW64_64KEY, IMAGE_FILE_MACHINE_AMD64,
       ShellFolder(CSIDL_PROGRAM_FILES) + "\\VLPDMenu", kUserFolder, OnDriveZ(kBuiltDll64),
       OnDriveZ(kNextDll64), OnDriveZ(kHost64), "regsvr32.exe"},
      {"32-bit view", KEY_WOW64_32KEY, IMAGE_FILE_MACHINE_I386,
       ShellFolder(CSIDL_PROGRAM_FILESX86) + "\\VLPDMenu", kUserFolder + "\\x86", OnDriveZ(kBuiltDll32),
       OnDriveZ(kNextDll32), OnDriveZ(kHost32), "C:\\windows\\syswow64\\regsvr32.exe"},
  };
  return views;
}

// Every row the package writes, with the CLSID text it is written with: those of
// self-registration and each class's approval.
std::vector<std::pair<const RegistrationRow*, std::string>> Rows() {
  const std::string clsids[] = {ClsidText(kClsidVLPDMenu), ClsidText(kClsidVLPDCommand)};
  std::vector<std::pair<const RegistrationRow*, std::string>> rows;
  for (const RegistrationRow& row : kRegistrationRows) {
    rows.emplace_back(&row, clsids[static_cast<int>(row.server_class)]);
  }
  for (const std::string& clsid : clsids) rows.emplace_back(&kApprovalRow, clsid);
  return rows;
}

// The view in which `key` holds the row of the DLL of `view` for `scope`: per user, only the CLSID
// keys differ between the views, the rest is one key that both DLLs' rows write alike.
REGSAM ViewOfRow(const Scope& scope, const std::string& key, REGSAM view) {
  constexpr char kClsidKeys[] = "Software\\Classes\\CLSID\\";
  const bool shared = &scope == &kUser && _strnicmp(key.c_str(), kClsidKeys, sizeof kClsidKeys - 1) != 0;
  return shared ? KEY_WOW64_64KEY : view;
}

// A row's key below the root of the package's scope: the classes root is that root's.
std::string RowKey(const RegistrationRow& row, const RowTexts& texts) {
  return (row.root == RegistryRoot::kClassesRoot ? "Software\\Classes\\" : "") + std::string(texts.key_path);
}

struct Value {
  bool key_found = false;
  bool found = false;
  DWORD type = REG_NONE;
  std::string bytes;  // as stored, terminator included
};

Value ReadValue(HKEY root, const std::string& key, const char* name, REGSAM view) {
  Value value;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) {
    return value;
  }
  const RegKey guard(opened);
  value.key_found = true;
  char data[1024];
  DWORD size = sizeof data;
  if (RegQueryValueExA(opened, name, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size) ==
      ERROR_SUCCESS) {
    value.found = true;
    value.bytes.assign(data, size);
  }
  return value;
}

// The machine a PE file is made for (its file header's Machine); 0 when it is no PE file.
WORD PeMachine(const std::string& path) {
  const std::string bytes = ReadFileBytes(path);
  if (bytes.size() < 0x40) return 0;
  DWORD header = 0;
  std::memcpy(&header, bytes.data() + 0x3C, sizeof header);
  if (header > bytes.size() - 6 || bytes.compare(header, 4, std::string("PE\0\0", 4)) != 0) return 0;
  WORD machine = 0;
  std::memcpy(&machine, bytes.data() + header + 4, sizeof machine);
  return machine;
}

// Runs `command` and returns its exit code (~0 when it cannot start), with what it wrote to its
// standard output in `output` when that is given.
DWORD RunProgram(std::string command, std::string* output = nullptr) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (output != nullptr && !CreatePipe(&read_end, &write_end, &inherit, 0)) return ~0u;
  KernelHandle reader(read_end);
  KernelHandle writer(write_end);
  if (reader) SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (writer) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer.Get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, writer.Valid(), 0, nullptr, nullptr,
                      &startup, &process)) {
    return ~0u;
  }
  const KernelHandle process_handle(process.hProcess);
  const KernelHandle thread_handle(process.hThread);
  // Only the child holds the write end now, so the reads end when it does.
  writer.Reset();
  if (reader) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(reader.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
      output->append(buffer, got);
  }
  if (WaitForSingleObject(process.hProcess, 120000) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, ~0u);
  DWORD code = ~0u;
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}

DWORD Msiexec(const std::string& arguments) { return RunProgram("msiexec.exe " + arguments + " /qn"); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The product codes installed with the package's upgrade code.
std::vector<std::string> InstalledProducts() {
  std::vector<std::string> products;
  char product[39];
  for (DWORD i = 0; MsiEnumRelatedProductsA(kUpgradeCode, 0, i, product) == ERROR_SUCCESS; ++i) {
    products.push_back(product);
  }
  return products;
}

// A property of an installed product as the machine-wide installation has it; empty for a product
// installed otherwise.
std::string ProductInfo(const std::string& product, LPCSTR property) {
  char value[256] = {};
  DWORD size = sizeof value;
  MsiGetProductInfoExA(product.c_str(), nullptr, MSIINSTALLCONTEXT_MACHINE, property, value, &size);
  return value;
}

// The entries of the list of installed programs (both views) named `display_name`.
int UninstallEntriesNamed(const std::string& display_name) {
  int count = 0;
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | view, &opened) != ERROR_SUCCESS)
      continue;
    const RegKey list(opened);
    char name[256];
    for (DWORD i = 0;; ++i) {
      DWORD size = sizeof name;
      if (RegEnumKeyExA(list.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        break;
      const Value shown =
          ReadValue(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\" + name, "DisplayName", view);
      if (shown.found && shown.bytes == display_name + '\0') ++count;
    }
  }
  return count;
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveInstalledProducts();
    ExpectNothingOfOurs();
  }
  void TearDown() override {
    RemoveInstalledProducts();
    ExpectNothingOfOurs();
  }

  static void RemoveInstalledProducts() {
    for (const std::string& product : InstalledProducts()) Msiexec("/x " + product);
  }

  // What a scope holds: nothing of ours, or what the package of this build or of the later version
  // installs.
  enum class Holds { kNothing, kThisBuild, kLaterVersion };

  // Under the scope's root, in each view: installed, every row as REG_SZ with the data
  // self-registration writes for that view's DLL, the DLLs in place (in the 64-bit view's folder
  // the ARM64 one on an ARM64 machine) and the sparse package beside the 64-bit one; otherwise no row's
  // value, none of the keys whose default value a row writes, and no file or folder of ours.
  void Expect(const Scope& scope, Holds holds) const {
    const bool later = holds == Holds::kLaterVersion;
    for (const View& view : Views()) {
      SCOPED_TRACE(std::string(scope.name) + ", " + view.name);
      for (const auto& [row, clsid] : Rows()) {
        RowTexts texts;
        ASSERT_TRUE(BuildRowTexts(*row, clsid.c_str(), view.Dll(scope).c_str(), texts));
        const std::string key = RowKey(*row, texts);
        SCOPED_TRACE(key + " " + (texts.default_value ? "(default)" : texts.value_name));
        const Value value = ReadValue(scope.root, key, texts.default_value ? nullptr : texts.value_name,
                                      ViewOfRow(scope, key, view.flag));
        if (holds == Holds::kNothing) {
          EXPECT_FALSE(value.found);
          EXPECT_FALSE(texts.default_value && value.key_found);
          continue;
        }
        ASSERT_TRUE(value.found);
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(value.bytes, std::string(texts.data, texts.stored_length));
      }
      if (holds == Holds::kNothing) {
        EXPECT_FALSE(FileExists(view.Folder(scope))) << view.Folder(scope);
        continue;
      }
      const bool arm64 = native_arm64_ && view.flag == KEY_WOW64_64KEY;
      const std::string built = later ? view.next_dll : arm64 ? OnDriveZ(kBuiltDllArm64) : view.built_dll;
      // What a program of the view loads: the DLL its InProcServer32 names.
      const std::string server =
          ReadValue(scope.root, "Software\\Classes\\CLSID\\" + ClsidText(kClsidVLPDMenu) + "\\InProcServer32",
                    nullptr, view.flag)
              .bytes;
      EXPECT_EQ(PeMachine(server.c_str()), arm64 ? IMAGE_FILE_MACHINE_ARM64 : view.machine) << server;
      const std::string installed = ReadFileBytes(view.Dll(scope));
      EXPECT_FALSE(installed.empty()) << view.Dll(scope);
      EXPECT_TRUE(installed == ReadFileBytes(built)) << view.Dll(scope) << " is not " << built;
      EXPECT_EQ(FileVersionValue(view.Dll(scope)), std::string(later ? kNextVersion : kVersion) + ".0");
    }
    // The sparse package and the content its manifest names, in its external location.
    const std::string folder = Views()[0].Folder(scope) + "\\";
    if (holds != Holds::kNothing) {
      EXPECT_TRUE(ReadFileBytes(folder + "VLPDMenu.msix") == ReadFileBytes(OnDriveZ(kBuiltMsix))) << folder;
      for (const Logo& logo : kLogos) {
        EXPECT_TRUE(ReadFileBytes(folder + logo.installed) == ReadFileBytes(OnDriveZ(logo.built)))
            << folder + logo.installed;
      }
    }
  }

  // Nothing of ours in either scope, and no product with the packages' upgrade code.
  void ExpectNothingOfOurs() const {
    Expect(kMachine, Holds::kNothing);
    Expect(kUser, Holds::kNothing);
    EXPECT_EQ(InstalledProducts(), std::vector<std::string>{});
  }

  const std::string package_ = kMachine.package;
  bool native_arm64_ = false;  // whether the package installs on an ARM64 machine
};

// Installs `package` with the installer's own basic interface, expecting it to refuse; returns the
// one message it showed (Wine: in a message box).
std::string RefusalOf(const std::string& package) {
  MessageBoxWatcher boxes({"Install Failed"});
  const INSTALLUILEVEL ui_level = MsiSetInternalUI(INSTALLUILEVEL_BASIC, nullptr);
  EXPECT_EQ(MsiInstallProductA(package.c_str(), ""), static_cast<UINT>(ERROR_INSTALL_FAILURE)) << package;
  MsiSetInternalUI(ui_level, nullptr);
  const std::vector<SeenBox> seen = boxes.WaitFor(1);
  EXPECT_EQ(seen.size(), 1u);
  return seen.empty() ? "" : seen[0].text;
}

TEST_F(Installer, WritesEveryRowIntoTheViewOfItsDllAndRemovesThemAll) {
  ASSERT_EQ(Msiexec("/i " + Quoted(package_)), 0u);
  Expect(kMachine, Holds::kThisBuild);
  const std::vector<std::string> products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u);
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_VERSIONSTRING), kVersion);

  ASSERT_EQ(Msiexec("/x " + Quoted(package_)), 0u);
  ExpectNothingOfOurs();
}

// Both programs (64-bit and 32-bit) take the installed handler: through COM per machine, from the
// DLL that the user's rows name (Expect) through DllGetClassObject per user
// (installed_menu_host), and get its submenu. The ARM64 DLL of an ARM64 machine loads into ARM64
// programs alone, which tools/test-arm64.sh runs: then the 32-bit program alone.
void ExpectProgramsGetTheSubmenu(const Scope& scope, bool native_arm64 = false) {
  SCOPED_TRACE(scope.name);
  const TempDir folder;
  folder.WriteFile("memo.txt", "text");
  for (const View& view : Views()) {
    if (native_arm64 && view.flag == KEY_WOW64_64KEY) continue;
    SCOPED_TRACE(view.host);
    std::string output;
    const std::string dll = &scope == &kUser ? " " + Quoted(view.Dll(scope)) : "";
    ASSERT_EQ(RunProgram(Quoted(view.host) + " " + Quoted(folder.Path()) + " memo.txt" + dll, &output), 0u)
        << output;
    // A console program's lines end in CR LF.
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    EXPECT_STRCASEEQ(output.substr(0, output.find('\n')).c_str(), ("module " + view.Dll(scope)).c_str());
    char rest[128];  // the lines after the module's
    std::snprintf(rest, sizeof rest, "\nquery 0x%08X\nsubmenu %s\ncommands %d of %d\n",
                  static_cast<unsigned>(MAKE_HRESULT(0, 0, kCommandCount)), text::kSubmenuCaption,
                  kCommandCount, kCommandCount);
    EXPECT_NE(output.find(rest), std::string::npos) << output;
  }
}

// regsvr32 of both built DLLs, as on 64-bit Windows without the package: the two views share the
// context-menu hooks. Unregistering one DLL leaves the other registered whole; unregistering the
// other leaves nothing but the machine key (row 4) that unregistration always leaves.
TEST_F(Installer, UnregisteringOneBitnessLeavesTheOtherRegistered) {
  for (const size_t first : {0u, 1u}) {
    const View& gone = Views()[first];
    const View& kept = Views()[1 - first];
    for (const View& view : Views())
      ASSERT_EQ(RunProgram(view.regsvr32 + " /s " + Quoted(view.built_dll)), 0u);
    ASSERT_EQ(RunProgram(gone.regsvr32 + " /u /s " + Quoted(gone.built_dll)), 0u);
    for (const auto& [row, clsid] : Rows()) {
      RowTexts texts;
      ASSERT_TRUE(BuildRowTexts(*row, clsid.c_str(), kept.built_dll.c_str(), texts));
      // Wine keeps the keys both views share (the hooks) in the 64-bit one.
      const auto holds = [&](REGSAM view) {
        return ReadValue(HKEY_LOCAL_MACHINE, RowKey(*row, texts),
                         texts.default_value ? nullptr : texts.value_name, view)
                   .bytes == std::string(texts.data, texts.stored_length);
      };
      EXPECT_TRUE(holds(kept.flag) || holds(KEY_WOW64_64KEY)) << kept.name << " " << texts.key_path;
    }
    ASSERT_EQ(RunProgram(kept.regsvr32 + " /u /s " + Quoted(kept.built_dll)), 0u);
    RowTexts machine;
    ASSERT_TRUE(BuildRowTexts(kRegistrationRows[3], ClsidText(kClsidVLPDMenu).c_str(), "", machine));
    for (const View& view : Views()) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, machine.key_path, view.flag, 0);
    ExpectNothingOfOurs();
  }
}

TEST_F(Installer, ProgramsOfBothKindsGetTheSubmenuThroughCom) {
  ASSERT_EQ(Msiexec("/i " + Quoted(package_)), 0u);
  ExpectProgramsGetTheSubmenu(kMachine);
}

// The per-user package needs no administrator: it writes nothing outside the user's registry and
// folders, and its removal takes all of it back.
TEST_F(Installer, InstallsForTheCurrentUserAloneAndRemovesItAll) {
  ASSERT_EQ(Msiexec("/i " + Quoted(kUser.package)), 0u);
  Expect(kUser, Holds::kThisBuild);
  ExpectProgramsGetTheSubmenu(kUser);
  Expect(kMachine, Holds::kNothing);
  EXPECT_EQ(InstalledProducts().size(), 1u);

  ASSERT_EQ(Msiexec("/x " + Quoted(kUser.package)), 0u);
  ExpectNothingOfOurs();
}

TEST_F(Installer, ALaterVersionTakesThePlaceOfTheEarlierOne) {
  ASSERT_EQ(Msiexec("/i " + Quoted(package_)), 0u);
  const std::vector<std::string> earlier = InstalledProducts();
  ASSERT_EQ(earlier.size(), 1u);
  const std::string name = ProductInfo(earlier[0], INSTALLPROPERTY_INSTALLEDPRODUCTNAME);
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(UninstallEntriesNamed(name), 1);

  const std::string later_package = OnDriveZ(kNextPackage);
  ASSERT_EQ(Msiexec("/i " + Quoted(later_package)), 0u);
  const std::vector<std::string> later = InstalledProducts();
  ASSERT_EQ(later.size(), 1u);
  EXPECT_NE(later[0], earlier[0]);
  EXPECT_EQ(ProductInfo(later[0], INSTALLPROPERTY_VERSIONSTRING), kNextVersion);
  EXPECT_EQ(UninstallEntriesNamed(name), 1);
  Expect(kMachine, Holds::kLaterVersion);

  // The earlier package refuses to replace it, and tells the user why.
  EXPECT_EQ(RefusalOf(package_), "A later version of " + name +
                                     " is already installed: remove it before installing version " +
                                     kVersion + ".");
  EXPECT_EQ(InstalledProducts(), later);
  Expect(kMachine, Holds::kLaterVersion);

  ASSERT_EQ(Msiexec("/x " + Quoted(later_package)), 0u);
  ExpectNothingOfOurs();
  EXPECT_EQ(UninstallEntriesNamed(name), 0);
}

// Both packages register the same classes and the same sparse package: the one of either scope
// refuses to install beside the other's, says why, and changes nothing.
TEST_F(Installer, NeitherScopeInstallsBesideTheOther) {
  const struct {
    const Scope& installed;
    const Scope& refused;
    const char* why;
  } cases[] = {
      {kMachine, kUser,
       " is installed for every user of this computer (VLPDMenu.msi): remove it before installing it for one "
       "user."},
      {kUser, kMachine,
       " is installed for this user alone (VLPDMenu-user.msi): remove it before installing it for every user "
       "of this computer."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.installed.name) + " installed");
    ASSERT_EQ(Msiexec("/i " + Quoted(c.installed.package)), 0u);
    EXPECT_EQ(RefusalOf(c.refused.package), kProductName + std::string(c.why));
    Expect(c.installed, Holds::kThisBuild);
    Expect(c.refused, Holds::kNothing);
    EXPECT_EQ(InstalledProducts().size(), 1u);
    ASSERT_EQ(Msiexec("/x " + Quoted(c.installed.package)), 0u);
  }
}

// The Windows 11 actions and the native DLL, in the throwaway prefix alone: the installer reads the
// build number and the native architecture (the system environment's PROCESSOR_ARCHITECTURE, which
// only ARM64 Windows sets to ARM64 under an emulated installer) each case sets, and finds PowerShell where
// Windows keeps it: none there (as under Wine), or the stand-in (stand_in_powershell.cpp), which records what
// it is asked and fails, as PowerShell does when Windows refuses the package. Either way the installation
// succeeds and the classic menu works; per machine, Active Setup's entry (which runs for every other user at
// logon what the installing user's registration ran, and decides there whether the machine is Windows 11)
// is enabled on every Windows at the time of the installation, and goes with the product.
class Windows11 : public Installer {
 protected:
  // Active Setup's version for an installation now: UTC year, month and day, hour and minute, second.
  static std::string ActiveSetupVersionNow() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%u,%u,%u,%u", now.wYear, now.wMonth * 100u + now.wDay,
                  now.wHour * 100u + now.wMinute, now.wSecond);
    return text;
  }

  // A version's numbers between commas, compared as Active Setup compares them.
  static std::vector<unsigned long> VersionParts(const std::string& version) {
    std::vector<unsigned long> parts;
    for (const char* at = version.c_str(); *at != '\0';) {
      char* end = nullptr;
      parts.push_back(std::strtoul(at, &end, 10));
      if (end == at) break;
      at = *end == ',' ? end + 1 : end;
    }
    return parts;
  }

  void SetUp() override {
    if (GetEnvironmentVariableA("VLPD_THROWAWAY_PREFIX", nullptr, 0) == 0) {
      GTEST_SKIP() << "changes the prefix: run by tests/packaging/throwaway_prefix.sh";
    }
    Installer::SetUp();
  }

  static void SetBuildNumber(const char* build) {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
      HKEY opened = nullptr;
      ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                              KEY_SET_VALUE | view, &opened),
                ERROR_SUCCESS);
      const RegKey key(opened);
      ASSERT_EQ(
          RegSetValueExA(key.Get(), "CurrentBuildNumber", 0, REG_SZ, reinterpret_cast<const BYTE*>(build),
                         static_cast<DWORD>(std::strlen(build) + 1)),
          ERROR_SUCCESS);
    }
  }

  static void SetNativeArchitecture(const char* architecture) {
    HKEY opened = nullptr;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
                      0, KEY_SET_VALUE | KEY_WOW64_64KEY, &opened),
        ERROR_SUCCESS);
    const RegKey key(opened);
    ASSERT_EQ(RegSetValueExA(key.Get(), "PROCESSOR_ARCHITECTURE", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(architecture),
                             static_cast<DWORD>(std::strlen(architecture) + 1)),
              ERROR_SUCCESS);
  }

  // What PowerShell was asked since the stand-in went in place, each call by its kind.
  std::vector<std::string> PowerShellCalls() {
    std::vector<std::string> calls;
    const std::string log = ReadFileBytes(calls_log_);
    for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1) {
      const std::string call = log.substr(at, end - at);
      calls.push_back(call.find("Add-AppxPackage") != std::string::npos ? "register"
                      : call.find("Remove-AppxPackage -AllUsers") != std::string::npos
                          ? "remove for every user"
                      : call.find("| Remove-AppxPackage") != std::string::npos ? "remove for the user"
                                                                               : call);
      if (calls.back() == "register") registration_ = call;
    }
    return calls;
  }

  const std::string power_shell_folder_ = ShellFolder(CSIDL_SYSTEM) + "\\WindowsPowerShell\\v1.0";
  const std::string calls_log_ = power_shell_folder_ + "\\calls.txt";
  std::string registration_;  // the command line of the last registration
};

TEST_F(Windows11, ActionsRunOnWindows11AloneAndNeverStopTheInstallation) {
  const struct {
    const char* name;
    const Scope& scope;
    const char* build;
    const char* native;  // the machine's architecture
    bool stand_in;
    std::vector<std::string> installed;  // what PowerShell was asked by the installation
    std::vector<std::string> removed;    // and then by the removal too
  } cases[] = {
      {"Windows 10", kMachine, "19045", "AMD64", true, {}, {}},
      {"Windows 11 without PowerShell", kMachine, "22631", "AMD64", false, {}, {}},
      {"Windows 11 per machine",
       kMachine,
       "22631",
       "AMD64",
       true,
       {"register"},
       {"register", "remove for every user"}},
      {"Windows 11 per user",
       kUser,
       "22631",
       "AMD64",
       true,
       {"register"},
       {"register", "remove for the user"}},
      {"Windows 11 on ARM64 per machine",
       kMachine,
       "22631",
       "ARM64",
       true,
       {"register"},
       {"register", "remove for every user"}},
      {"Windows 10 on ARM64 per user", kUser, "19045", "ARM64", true, {}, {}},
  };
  const std::string power_shell = power_shell_folder_ + "\\powershell.exe";
  CreateDirectoryA((ShellFolder(CSIDL_SYSTEM) + "\\WindowsPowerShell").c_str(), nullptr);
  CreateDirectoryA(power_shell_folder_.c_str(), nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetBuildNumber(c.build);
    SetNativeArchitecture(c.native);
    native_arm64_ = std::strcmp(c.native, "ARM64") == 0;
    DeleteFileA(calls_log_.c_str());
    DeleteFileA(power_shell.c_str());
    if (c.stand_in) {
      ASSERT_TRUE(CopyFileA(OnDriveZ(kStandInPowerShell).c_str(), power_shell.c_str(), FALSE));
    }
    const bool windows_11 = std::strcmp(c.build, "22000") >= 0;

    const std::string before = ActiveSetupVersionNow();
    ASSERT_EQ(Msiexec("/i " + Quoted(c.scope.package)), 0u);
    const std::string after = ActiveSetupVersionNow();
    Expect(c.scope, Holds::kThisBuild);
    ExpectProgramsGetTheSubmenu(c.scope, native_arm64_);
    EXPECT_EQ(PowerShellCalls(), c.installed);
    const Value stub = ReadValue(HKEY_LOCAL_MACHINE, kActiveSetupKey, "StubPath", KEY_WOW64_64KEY);
    const Value enabled = ReadValue(HKEY_LOCAL_MACHINE, kActiveSetupKey, "IsInstalled", KEY_WOW64_64KEY);
    if (&c.scope == &kMachine) {
      EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kActiveSetupKey, nullptr, KEY_WOW64_64KEY).bytes,
                kProductName + std::string(1, '\0'));
      // The time of this installation: later than any an earlier one wrote.
      const std::string version =
          ReadValue(HKEY_LOCAL_MACHINE, kActiveSetupKey, "Version", KEY_WOW64_64KEY).bytes;
      EXPECT_LE(VersionParts(before), VersionParts(version)) << before << " " << version;
      EXPECT_LE(VersionParts(version), VersionParts(after)) << version << " " << after;
      EXPECT_EQ(enabled.bytes, std::string("\1\0\0\0", 4));
      // At each user's logon, the very command that registered the package for the installing
      // user, with the program's path quoted (Wine's installer leaves it bare).
      if (c.stand_in && windows_11) {
        EXPECT_EQ(stub.bytes, Quoted(power_shell) + registration_.substr(power_shell.size()) + '\0');
      }
    } else {
      EXPECT_FALSE(stub.key_found);
    }

    ASSERT_EQ(Msiexec("/x " + Quoted(c.scope.package)), 0u);
    EXPECT_EQ(PowerShellCalls(), c.removed);
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kActiveSetupKey, nullptr, KEY_WOW64_64KEY).key_found);
    ExpectNothingOfOurs();
  }
}

}  // namespace
}  // namespace vlpd::test
