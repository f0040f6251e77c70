// Self-registration of the built VLPDMenu.dll in the Wine prefix: through regsvr32 and through
// the exported functions; every entry read back; activation through the registry; unregistration.
// Every test starts and ends with none of the server's entries in the registry.
#include <gtest/gtest.h>
#include <olectl.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "commands/command_table.h"
#include "host/shell_data_object.h"
#include "host/vlpd_dll.h"
#include "server/clsid.h"
#include "tests/support/temp_dir.h"
#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

constexpr char kApproved[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr char kMachineKey[] = "software\\classes\\clsid\\VLPDMenu_0150";
constexpr char kFileHook[] = "*\\shellex\\ContextMenuHandlers\\VLPDMenu_0150";
constexpr char kFolderHook[] = "Directory\\shellex\\ContextMenuHandlers\\VLPDMenu_0150";
constexpr char kBackgroundHook[] = "Directory\\Background\\shellex\\ContextMenuHandlers\\VLPDMenu_0150";
constexpr char kDriveHook[] = "Drive\\shellex\\ContextMenuHandlers\\VLPDMenu_0150";

// CLSIDs' registry forms, made by the host with StringFromGUID2 rather than the server's own path.
const std::string kClsid = ClsidText(kClsidVLPDMenu);
const std::string kClassKey = "CLSID\\" + kClsid;
const std::string kServerKey = kClassKey + "\\InProcServer32";
// The Windows 11 menu's class: its class key and server, and its approval; no hooks.
const std::string kCommandClsid = ClsidText(kClsidVLPDCommand);
const std::string kCommandClassKey = "CLSID\\" + kCommandClsid;
const std::string kCommandServerKey = kCommandClassKey + "\\InProcServer32";

struct Value {
  bool found = false;
  DWORD type = REG_NONE;
  std::string bytes;  // as stored, terminator included
};

Value ReadValue(HKEY root, const std::string& key, const char* name) {
  Value value;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return value;
  const RegKey guard(opened);
  char data[1024];
  DWORD size = sizeof data;
  if (RegQueryValueExA(opened, name, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size) !=
      ERROR_SUCCESS) {
    return value;
  }
  value.found = true;
  value.bytes.assign(data, size);
  return value;
}

bool KeyExists(HKEY root, const std::string& key) {
  RegKey opened;
  return RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, opened.Put()) == ERROR_SUCCESS;
}

// The string as a REG_SZ value stores it: its bytes and the terminator.
std::string Stored(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

// Everything below `key` (values with their types and bytes, then subkeys), or "-" when absent.
std::string Dump(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return "-";
  const RegKey guard(opened);
  std::string dump = "{";
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD name_size = sizeof name;
    char data[1024];
    DWORD data_size = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(opened, i, name, &name_size, nullptr, &type, reinterpret_cast<BYTE*>(data),
                      &data_size) != ERROR_SUCCESS) {
      break;
    }
    dump +=
        std::string(name, name_size) + ":" + std::to_string(type) + "=" + std::string(data, data_size) + ";";
  }
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD name_size = sizeof name;
    if (RegEnumKeyExA(opened, i, name, &name_size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    const std::string child(name, name_size);
    dump += child + Dump(root, key + "\\" + child);
  }
  return dump + "}";
}

// The snapshot of a registry that holds no entry of ours.
constexpr char kNothingRegistered[] =
    "class - machine - files - folders - backgrounds - drives - approval - command - command approval -";

// Every place registration writes to, as one text.
std::string Snapshot() {
  const Value approval = ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClsid.c_str());
  const Value command_approval = ReadValue(HKEY_LOCAL_MACHINE, kApproved, kCommandClsid.c_str());
  return "class " + Dump(HKEY_CLASSES_ROOT, kClassKey) + " machine " + Dump(HKEY_LOCAL_MACHINE, kMachineKey) +
         " files " + Dump(HKEY_CLASSES_ROOT, kFileHook) + " folders " + Dump(HKEY_CLASSES_ROOT, kFolderHook) +
         " backgrounds " + Dump(HKEY_CLASSES_ROOT, kBackgroundHook) + " drives " +
         Dump(HKEY_CLASSES_ROOT, kDriveHook) + " approval " +
         (approval.found ? std::to_string(approval.type) + "=" + approval.bytes : "-") + " command " +
         Dump(HKEY_CLASSES_ROOT, kCommandClassKey) + " command approval " +
         (command_approval.found ? std::to_string(command_approval.type) + "=" + command_approval.bytes
                                 : "-");
}

// Deletes row 4's key, or the link a test put in its place: opened as a link, so that a link is
// not followed. The key has no subkeys either way.
void DeleteMachineKey() {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMachineKey, REG_OPTION_OPEN_LINK, DELETE, &opened) !=
      ERROR_SUCCESS) {
    return;
  }
  const RegKey key(opened);
  using NtDeleteKey = LONG(WINAPI*)(HANDLE);
  const auto delete_key = reinterpret_cast<NtDeleteKey>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
  if (delete_key != nullptr) delete_key(opened);
}

// Puts a volatile link where row 4's key goes, to a key whose parent does not exist, so that the
// key cannot be created. True when the link is in place.
bool BlockMachineKey() {
  HKEY link = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMachineKey, 0, nullptr,
                      REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &link,
                      &disposition) != ERROR_SUCCESS) {
    return false;
  }
  const RegKey key(link);
  static const wchar_t kTarget[] = L"\\Registry\\Machine\\Software\\VLPDMenuNoSuchKey\\VLPDMenu_0150";
  return RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(kTarget),
                        sizeof kTarget - sizeof(wchar_t)) == ERROR_SUCCESS;
}

// Removes every entry registration makes, whatever state an earlier run left.
void RemoveAllEntries() {
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kClassKey.c_str());
  DeleteMachineKey();
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kFileHook);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kFolderHook);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kBackgroundHook);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kDriveHook);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kCommandClassKey.c_str());
  HKEY approved = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kApproved, 0, KEY_SET_VALUE, &approved) == ERROR_SUCCESS) {
    const RegKey guard(approved);
    RegDeleteValueA(approved, kClsid.c_str());
    RegDeleteValueA(approved, kCommandClsid.c_str());
  }
}

// Runs regsvr32.exe with `arguments` and returns its exit code (~0 when it cannot start).
DWORD RunRegsvr32(const std::string& arguments) {
  std::string command = "regsvr32.exe " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return ~0u;
  }
  const KernelHandle process_handle(process.hProcess);
  const KernelHandle thread_handle(process.hThread);
  // regsvr32 without /s waits for a click on its message: a stuck one fails the run, not hangs it.
  if (WaitForSingleObject(process.hProcess, 30000) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, ~0u);
  DWORD code = ~0u;
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}

// DllRegisterServer and DllUnregisterServer of a loaded copy of the DLL.
struct SelfRegistration {
  explicit SelfRegistration(HMODULE module)
      : register_server(
            reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")))),
        unregister_server(
            reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer")))) {
  }
  using Entry = HRESULT(STDAPICALLTYPE*)();
  Entry register_server;
  Entry unregister_server;
};

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(kClsid.size(), 38u);
    ASSERT_TRUE(dll_.Loaded()) << "VLPDMenu.dll not found next to the test";
    ASSERT_NE(functions_.register_server, nullptr);
    ASSERT_NE(functions_.unregister_server, nullptr);
    RemoveAllEntries();
  }
  void TearDown() override {
    RemoveAllEntries();
    EXPECT_EQ(Snapshot(), kNothingRegistered) << "entries left behind";
  }

  std::string Quoted(const std::string& path) const { return "\"" + path + "\""; }

  // Checks every registration row against what the registry holds.
  void ExpectRegistered(const std::string& module_path) const {
    struct Row {
      HKEY root;
      std::string key;
      const char* name;
      std::string data;
    };
    const Row rows[] = {
        {HKEY_CLASSES_ROOT, kClassKey, nullptr, "VLPDMenu_0150"},
        {HKEY_CLASSES_ROOT, kServerKey, nullptr, module_path},
        {HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel", "Apartment"},
        {HKEY_LOCAL_MACHINE, kMachineKey, nullptr, kClsid},
        {HKEY_CLASSES_ROOT, kFileHook, nullptr, kClsid},
        {HKEY_CLASSES_ROOT, kFolderHook, nullptr, kClsid},
        {HKEY_CLASSES_ROOT, kBackgroundHook, nullptr, kClsid},
        {HKEY_CLASSES_ROOT, kDriveHook, nullptr, kClsid},
        {HKEY_LOCAL_MACHINE, kApproved, kClsid.c_str(), "VLPDMenu_0150"},
        {HKEY_CLASSES_ROOT, kCommandClassKey, nullptr, "VLPDMenu_0150"},
        {HKEY_CLASSES_ROOT, kCommandServerKey, nullptr, module_path},
        {HKEY_CLASSES_ROOT, kCommandServerKey, "ThreadingModel", "Apartment"},
        {HKEY_LOCAL_MACHINE, kApproved, kCommandClsid.c_str(), "VLPDMenu_0150"},
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(row.key + " " + (row.name == nullptr ? "(default)" : row.name));
      const Value value = ReadValue(row.root, row.key, row.name);
      ASSERT_TRUE(value.found);
      EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
      EXPECT_EQ(value.bytes.size(), row.data.size() + 1);
      EXPECT_EQ(value.bytes, Stored(row.data));
    }
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel").bytes.size(), 10u);
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kClassKey, nullptr).bytes.size(), 14u);
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kFileHook, nullptr).bytes.size(), 39u);
  }

  void ExpectUnregistered() const {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFileHook));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFolderHook));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kBackgroundHook));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kDriveHook));
    // The key under HKEY_LOCAL_MACHINE stays; the approval value goes, its shared key stays.
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kMachineKey, nullptr).bytes, Stored(kClsid));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClsid.c_str()).found);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kApproved));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kCommandClassKey));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kApproved, kCommandClsid.c_str()).found);
  }

  VlpdDll dll_;
  SelfRegistration functions_{dll_.Module()};
};

TEST_F(Registration, Regsvr32RegistersEveryRowAndUnregistersThem) {
  ASSERT_EQ(RunRegsvr32("/s " + Quoted(dll_.Path())), 0u);
  ExpectRegistered(dll_.Path());

  // Registering again writes the same entries over the old ones.
  const std::string first = Snapshot();
  ASSERT_EQ(RunRegsvr32("/s " + Quoted(dll_.Path())), 0u);
  EXPECT_EQ(Snapshot(), first);

  ASSERT_EQ(RunRegsvr32("/u /s " + Quoted(dll_.Path())), 0u);
  ExpectUnregistered();
}

TEST_F(Registration, ServerPathIsTheLibrarysOwnFileAtRegistration) {
  // A copy in another folder, one whose name ends in a 0x5C trail byte (表), registers itself.
  const TempDir folder("\x95\x5C");
  const std::string copy = folder / "VLPDMenu.dll";
  ASSERT_TRUE(CopyFileA(dll_.Path().c_str(), copy.c_str(), FALSE));
  ModuleReference module(LoadLibraryA(copy.c_str()));
  ASSERT_TRUE(module);
  char loaded[MAX_PATH] = {};
  GetModuleFileNameA(module.Get(), loaded, MAX_PATH);
  const SelfRegistration copied(module.Get());
  ASSERT_NE(copied.register_server, nullptr);
  const HRESULT registered = copied.register_server();
  module.Reset();

  EXPECT_EQ(registered, S_OK);
  EXPECT_STRCASEEQ(loaded, copy.c_str());
  ExpectRegistered(loaded);
  EXPECT_NE(ReadValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).bytes, Stored(dll_.Path()));
}

TEST_F(Registration, APathTheCodePageCannotWriteExactlyIsRefused) {
  // é has no code page 932 form (café would be registered as cafe); 120 表 take 240 bytes, which
  // with the rest of the path pass 260.
  const TempDir folder;
  for (const std::wstring& name : {std::wstring(L"caf\x00E9"), std::wstring(120, L'\x8868')}) {
    const std::wstring copy = folder.WidePath() + L"\\" + name + L"\\VLPDMenu.dll";
    ASSERT_TRUE(CreateDirectoryW((folder.WidePath() + L"\\" + name).c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(Wide(dll_.Path()).c_str(), copy.c_str(), FALSE));
    ModuleReference module(LoadLibraryW(copy.c_str()));
    ASSERT_TRUE(module);
    const HRESULT registered = SelfRegistration(module.Get()).register_server();
    module.Reset();
    EXPECT_EQ(registered, SELFREG_E_CLASS);
    EXPECT_EQ(Snapshot(), kNothingRegistered);
  }
}

// The first menu item that opens a submenu, with its caption; null when there is none.
HMENU FindSubmenu(HMENU menu, std::string& caption) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    HMENU sub = GetSubMenu(menu, i);
    if (sub == nullptr) continue;
    char text[256] = {};
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    caption = text;
    return sub;
  }
  return nullptr;
}

TEST_F(Registration, ActivationThroughTheRegistryGivesAWorkingHandler) {
  ASSERT_EQ(RunRegsvr32("/s " + Quoted(dll_.Path())), 0u);
  {
    const ComApartment apartment;
    const TempDir folder;
    folder.WriteFile("memo.txt", "text");
    ComRef<IDataObject> data = ShellDataObject(folder.Path(), {"memo.txt"});
    ASSERT_TRUE(data);

    ComRef<IContextMenu> handler;
    ASSERT_EQ(CoCreateInstance(kClsidVLPDMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                               reinterpret_cast<void**>(handler.Put())),
              S_OK);
    ASSERT_TRUE(handler);
    ShownMenu shown;
    ShowMenu(handler.Get(), data.Get(), shown);
    EXPECT_EQ(shown.init_result, S_OK);
    EXPECT_EQ(shown.query_result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, kCommandCount));
    std::string caption;
    HMENU submenu = FindSubmenu(shown.menu.Get(), caption);
    ASSERT_NE(submenu, nullptr);
    EXPECT_EQ(caption, text::kSubmenuCaption);
    EXPECT_GT(GetMenuItemCount(submenu), 0);
  }
  ASSERT_EQ(RunRegsvr32("/u /s " + Quoted(dll_.Path())), 0u);
}

TEST_F(Registration, UnregistrationLeavesTheMachineKeyAndRemovesTheApproval) {
  ASSERT_EQ(functions_.register_server(), S_OK);
  ExpectRegistered(dll_.Path());
  EXPECT_EQ(functions_.unregister_server(), S_OK);
  ExpectUnregistered();
}

TEST_F(Registration, ASecondUnregistrationFailsAndChangesNothing) {
  ASSERT_EQ(functions_.register_server(), S_OK);
  ASSERT_EQ(functions_.unregister_server(), S_OK);
  const std::string before = Snapshot();
  EXPECT_EQ(functions_.unregister_server(), SELFREG_E_CLASS);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_NE(RunRegsvr32("/u /s " + Quoted(dll_.Path())), 0u);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(Registration, AMissingServerKeyStopsUnregistrationBeforeAnyDeletion) {
  ASSERT_EQ(functions_.register_server(), S_OK);
  ASSERT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, kServerKey.c_str()), ERROR_SUCCESS);
  const std::string before = Snapshot();
  EXPECT_EQ(functions_.unregister_server(), SELFREG_E_CLASS);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(Registration, AMissingFolderHookFailsAfterDeletingWhatComesBefore) {
  ASSERT_EQ(functions_.register_server(), S_OK);
  ASSERT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, kFolderHook), ERROR_SUCCESS);
  EXPECT_EQ(functions_.unregister_server(), SELFREG_E_CLASS);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFileHook));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachineKey));
  // The walk stopped before the approval value.
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClsid.c_str()).bytes, Stored("VLPDMenu_0150"));
}

TEST_F(Registration, AKeyThatCannotBeCreatedStopsRegistration) {
  ASSERT_TRUE(BlockMachineKey());
  EXPECT_EQ(functions_.register_server(), SELFREG_E_CLASS);
  // Rows 1 to 3 stay written; the hooks and the approval value were never written.
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kClassKey, nullptr).bytes, Stored("VLPDMenu_0150"));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).bytes, Stored(dll_.Path()));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel").bytes, Stored("Apartment"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFileHook));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFolderHook));
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClsid.c_str()).found);
}

}  // namespace
}  // namespace vlpd::test
