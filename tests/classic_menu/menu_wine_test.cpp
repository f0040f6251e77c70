// QueryContextMenu on real menus: what the shell's menu and the submenu hold afterwards, for each
// kind of selection, the flags test, and the cases that add nothing (Windows 11 with our package).
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

#include "classic_menu/menu_icon.h"
#include "classic_menu/packaged_menu.h"
#include "classic_menu/vlpd_menu.h"
#include "commands/command_table.h"
#include "commands/handler_text.h"
#include "commands/settings.h"
#include "fixtures/command_rows.h"
#include "host/menu_reader.h"
#include "host/shell_data_object.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "host/wide_text.h"
#include "product.h"
#include "tests/support/clipboard.h"
#include "tests/support/settings_values.h"
#include "tests/support/temp_dir.h"

namespace vlpd::test {
namespace {

constexpr UINT kFirstId = 200;

// QueryContextMenu's answer: success with the number of identifiers used.
void ExpectUsed(HRESULT hr, int used) {
  EXPECT_EQ(HRESULT_SEVERITY(hr), SEVERITY_SUCCESS);
  EXPECT_EQ(HRESULT_CODE(hr), used);
}

// The system the handler asks about Windows 11 and our package, and how often it looked the
// package up.
unsigned long g_build = 0;
bool g_native = true;
bool g_registered = false;
int g_lookups = 0;
unsigned long FakeBuild() { return g_build; }
bool FakeNative() { return g_native; }
bool FakeRegistered() {
  ++g_lookups;
  return g_registered;
}
bool RealLookup() {
  ++g_lookups;
  return PackageRegisteredForUser();
}
constexpr PackagedMenuProbe kFakeSystem = {FakeBuild, FakeNative, FakeRegistered};
constexpr PackagedMenuProbe kRealLookup = {FakeBuild, FakeNative, RealLookup};
// Windows 11 with our package registered, as this very process runs on Wine's machine.
constexpr PackagedMenuProbe kRealProcess = {FakeBuild, NativeProcess, FakeRegistered};

// Whether this process runs the machine's own architecture, told by GetNativeSystemInfo.
bool NativeByTheSystemInfo() {
  SYSTEM_INFO native = {};
  GetNativeSystemInfo(&native);
#if defined(__x86_64__)
  return native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
#elif defined(__aarch64__)
  return native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
#else
  return native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL;
#endif
}

class MenuTest : public testing::Test {
 protected:
  // A shell menu that already holds two items, so the insertion point shows.
  void SetUp() override {
    ASSERT_TRUE(dll_.Loaded()) << "VLPDMenu.dll not found";
    NewShellMenu();
  }

  void NewShellMenu() {
    shell_menu_.Reset(CreatePopupMenu());
    AppendMenuA(shell_menu_.Get(), MF_STRING, 1, "before");
    AppendMenuA(shell_menu_.Get(), MF_STRING, 2, "after");
  }

  // Initialize with `data`, then QueryContextMenu at position 1.
  HRESULT Query(IDataObject* data, UINT flags = CMF_NORMAL, UINT last_id = kFirstId + 100) {
    handler_ = dll_.CreateHandler();
    if (!handler_) return E_FAIL;
    ComRef<IShellExtInit> init;
    handler_->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put()));
    if (!init || FAILED(init->Initialize(nullptr, data, nullptr))) return E_FAIL;
    return handler_->QueryContextMenu(shell_menu_.Get(), 1, kFirstId, last_id, flags);
  }

  HRESULT QueryPaths(const std::vector<std::string>& paths, UINT flags = CMF_NORMAL) {
    auto data = TestDataObject::Make(paths);
    return Query(data.Get(), flags);
  }

  // QueryContextMenu's answer `hr` must tell of an identifier for each command, and the shell's menu
  // read: before, separator, submenu, separator, after; the submenu the table's entries as a
  // selection of `kind` shows them.
  void ExpectSubmenu(HRESULT hr, SelectionKind kind) {
    ExpectUsed(hr, kCommandCount);
    const std::vector<ReadItem> outer = ReadMenu(shell_menu_.Get());
    ASSERT_EQ(outer.size(), 5u);
    EXPECT_EQ(outer[0].label, "before");
    EXPECT_TRUE(outer[1].separator);
    EXPECT_EQ(outer[2].label, text::kSubmenuCaption);
    EXPECT_FALSE(outer[2].grayed);
    EXPECT_TRUE(outer[3].separator);
    EXPECT_EQ(outer[4].label, "after");
    ASSERT_NE(outer[2].submenu, nullptr);

    const std::vector<ReadItem> items = ReadMenu(outer[2].submenu);
    ASSERT_EQ(items.size(), kSubmenu.size());
    for (std::size_t position = 0; position < kSubmenu.size(); ++position) {
      SCOPED_TRACE(testing::Message() << "position " << position);
      const ReadItem& item = items[position];
      const SubmenuEntry& entry = kSubmenu[position];
      EXPECT_EQ(item.separator, entry.separator);
      if (entry.separator) continue;
      EXPECT_EQ(item.label, entry.label);
      EXPECT_EQ(item.id, kFirstId + entry.offset);
      EXPECT_EQ(item.grayed, !RuleEnabled(entry.rule, kind));
    }
  }

  // QueryContextMenu's answer `hr` must tell of no identifier used, and the shell's menu be as it was.
  void ExpectUnchanged(HRESULT hr) {
    ExpectUsed(hr, 0);
    const std::vector<ReadItem> outer = ReadMenu(shell_menu_.Get());
    ASSERT_EQ(outer.size(), 2u);
    EXPECT_EQ(outer[0].label, "before");
    EXPECT_EQ(outer[1].label, "after");
  }

  ComApartment apartment_;  // for the shell's data objects; outlives every reference below
  VlpdDll dll_;
  TempDir dir_{"vlpd_menu"};
  MenuHandle shell_menu_;
  ComRef<IContextMenu> handler_;
};

// The caption carries the editor's icon: one 32-bit premultiplied bitmap of the small-icon size at
// the system DPI, made once for every menu of the process.
TEST_F(MenuTest, TheCaptionShowsTheEditorsIconMadeOnce) {
  HBITMAP first = nullptr;
  for (int round = 0; round < 2; ++round) {
    NewShellMenu();
    ASSERT_EQ(QueryPaths({dir_.WriteFile("icon.txt", "x")}), MAKE_HRESULT(0, 0, kCommandCount));
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    ASSERT_TRUE(GetMenuItemInfoW(shell_menu_.Get(), 2, TRUE, &item));
    ASSERT_NE(item.hbmpItem, nullptr);
    if (round == 0) first = item.hbmpItem;
    EXPECT_EQ(item.hbmpItem, first) << "a bitmap for each menu";
  }
  BITMAP bitmap = {};
  ASSERT_EQ(GetObjectW(first, sizeof bitmap, &bitmap), static_cast<int>(sizeof bitmap));
  const int dpi = GetDeviceCaps(ScreenDc().Get(), LOGPIXELSX);
  EXPECT_EQ(SmallIconSize(dpi), GetSystemMetrics(SM_CXSMICON)) << dpi << " DPI";
  EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(bitmap.bmHeight, GetSystemMetrics(SM_CYSMICON));
  EXPECT_EQ(bitmap.bmBitsPixel, 32);
  ASSERT_NE(bitmap.bmBits, nullptr) << "not a DIB section";
  const auto* pixels = static_cast<const std::uint32_t*>(bitmap.bmBits);
  int opaque = 0;
  for (int i = 0; i < bitmap.bmWidth * bitmap.bmHeight; ++i) {
    opaque += pixels[i] >> 24 == 255 ? 1 : 0;
    for (int shift : {0, 8, 16}) ASSERT_LE((pixels[i] >> shift) & 0xFF, pixels[i] >> 24) << i;
  }
  EXPECT_GT(opaque, 0) << "the icon drew nothing";
}

TEST_F(MenuTest, CapitalTextExtensionEnablesOpenAndEncodings) {
  const std::string file = dir_.WriteFile("NOTE.TXT", "x");
  ExpectSubmenu(QueryPaths({file}), SelectionKind::kSingleFile);
}

TEST_F(MenuTest, ProjectFileInCapitalsEnablesOpenAndProjectItem) {
  const std::string file = dir_.WriteFile("LIST.VPJ", "x");
  ExpectSubmenu(QueryPaths({file}), SelectionKind::kSingleProject);
}

TEST_F(MenuTest, LongerProjectLikeExtensionIsAnOrdinaryFile) {
  const std::string file = dir_.WriteFile("list.vpjx", "x");
  ExpectSubmenu(QueryPaths({file}), SelectionKind::kSingleFile);
}

TEST_F(MenuTest, MoreThanFourBytesAfterTheDotIsNoExtension) {
  const std::string file = dir_.WriteFile("list.vpjxyz", "x");
  ExpectSubmenu(QueryPaths({file}), SelectionKind::kSingleFile);
  const std::string dotted = dir_.WriteFile("a.vpj.abcde", "x");
  NewShellMenu();
  ExpectSubmenu(QueryPaths({dotted}), SelectionKind::kSingleFile);
}

TEST_F(MenuTest, DoubleByteNameWithBackslashTrailByte) {
  // 表 ends in 0x5C: the folder name must not be cut there.
  const std::string file = dir_.WriteFile("\x95\x5C\\\x95\x5C.vpj", "x");
  ExpectSubmenu(QueryPaths({file}), SelectionKind::kSingleProject);
}

TEST_F(MenuTest, FolderGraysEveryOpenItem) {
  const std::string folder = dir_.MakeFolder("sub.vpj");
  ExpectSubmenu(QueryPaths({folder}), SelectionKind::kSeveral);
}

TEST_F(MenuTest, TwoFilesGrayEveryOpenItem) {
  ExpectSubmenu(QueryPaths({dir_.WriteFile("a.txt", "x"), dir_.WriteFile("b.txt", "x")}),
                SelectionKind::kSeveral);
}

TEST_F(MenuTest, TwoPathsWhoseFirstIsAProjectFileAreSeveral) {
  ExpectSubmenu(QueryPaths({dir_.WriteFile("p.vpj", "x"), dir_.WriteFile("b.txt", "x")}),
                SelectionKind::kSeveral);
}

TEST_F(MenuTest, VanishedFirstPathAddsNothing) {
  const std::string present = dir_.WriteFile("b.txt", "x");
  ExpectUnchanged(QueryPaths({dir_ / "gone.txt", present}));
}

TEST_F(MenuTest, EmptyDropListAddsNothing) { ExpectUnchanged(QueryPaths({})); }

TEST_F(MenuTest, DefaultOnlyAddsNothingAndReadsNothing) {
  const std::string file = dir_.WriteFile("a.txt", "x");
  auto data = TestDataObject::Make({file});
  handler_ = dll_.CreateHandler();
  ASSERT_TRUE(handler_);
  ComRef<IShellExtInit> init;
  ASSERT_EQ(handler_->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put())), S_OK);
  ASSERT_EQ(init->Initialize(nullptr, data.Get(), nullptr), S_OK);
  const int calls = data->GetDataCalls();
  for (UINT flags : {0x1u, 0x8u, 0x9u, 0x101u}) {  // CMF_DEFAULTONLY, CMF_NOVERBS, both, with a high bit
    ExpectUnchanged(handler_->QueryContextMenu(shell_menu_.Get(), 1, kFirstId, kFirstId + 100, flags));
  }
  EXPECT_EQ(data->GetDataCalls(), calls) << "the selection was read";
}

TEST_F(MenuTest, WithoutAGrantedIdForEachCommandNothingIsAdded) {
  auto data = TestDataObject::Make({dir_.WriteFile("a.txt", "x")});
  for (UINT last_id : {kFirstId + kCommandCount - 2, kFirstId - 1}) {  // one id short; upside down
    ExpectUnchanged(Query(data.Get(), CMF_NORMAL, last_id));
  }
  ExpectSubmenu(Query(data.Get(), CMF_NORMAL, kFirstId + kCommandCount - 1), SelectionKind::kSingleFile);
}

TEST_F(MenuTest, DefaultOnlyWithExploreAddsTheSubmenu) {
  const std::string file = dir_.WriteFile("a.txt", "x");
  ExpectSubmenu(QueryPaths({file}, CMF_DEFAULTONLY | CMF_EXPLORE), SelectionKind::kSingleFile);
}

TEST_F(MenuTest, VerbsOnlyAndHighFlagsAddTheSubmenu) {
  const std::string file = dir_.WriteFile("a.txt", "x");
  ExpectSubmenu(QueryPaths({file}, CMF_VERBSONLY | CMF_NOVERBS), SelectionKind::kSingleFile);
  NewShellMenu();
  ExpectSubmenu(QueryPaths({file}, CMF_EXTENDEDVERBS | CMF_CANRENAME), SelectionKind::kSingleFile);
}

TEST_F(MenuTest, RealShellDataObjectForFilesAndFolders) {
  dir_.WriteFile("\x95\x5C.vpj", "x");
  dir_.WriteFile("a.txt", "x");
  dir_.MakeFolder("sub");
  {
    auto data = ShellDataObject(dir_.Path(), {"\x95\x5C.vpj"});
    ASSERT_TRUE(data);
    ExpectSubmenu(Query(data.Get()), SelectionKind::kSingleProject);
  }
  {
    NewShellMenu();
    auto data = ShellDataObject(dir_.Path(), {"sub"});
    ASSERT_TRUE(data);
    ExpectSubmenu(Query(data.Get()), SelectionKind::kSeveral);
  }
  {
    NewShellMenu();
    auto data = ShellDataObject(dir_.Path(), {"a.txt"});
    ASSERT_TRUE(data);
    ExpectSubmenu(Query(data.Get()), SelectionKind::kSingleFile);
  }
}

TEST_F(MenuTest, RepeatedQueriesOnOneHandlerEachAddAFreshSubmenu) {
  const std::string file = dir_.WriteFile("a.txt", "x");
  ExpectSubmenu(QueryPaths({file}), SelectionKind::kSingleFile);
  const MenuHandle second(CreatePopupMenu());
  ExpectUsed(handler_->QueryContextMenu(second.Get(), 0, kFirstId, kFirstId + 100, CMF_NORMAL),
             kCommandCount);
  const std::vector<ReadItem> outer = ReadMenu(second.Get());
  ASSERT_EQ(outer.size(), 3u);
  EXPECT_TRUE(outer[0].separator);
  EXPECT_EQ(outer[1].label, text::kSubmenuCaption);
  EXPECT_TRUE(outer[2].separator);
  EXPECT_EQ(ReadMenu(outer[1].submenu).size(), kSubmenu.size());
}

// The settings as the classic menu reads them at each right-click: ShiftOnly against the shell's
// flags, the identifiers a shortened submenu uses (up to its last command's), and the open command
// beside the submenu (OpenOnTop), which is offset 0 and is hidden with it.
TEST_F(MenuTest, SettingsShapeTheSubmenuAtEachRightClick) {
  const struct {
    const char* name;
    std::vector<SettingValue> values;
    UINT flags;
    int used;          // 0: nothing added
    int positions;     // of the submenu
    bool top = false;  // the open stands above the submenu
  } cases[] = {
      {"Shift only, a plain right-click", {{false, "ShiftOnly", 1}}, CMF_NORMAL, 0, 0},
      {"Shift only, Shift held",
       {{false, "ShiftOnly", 1}},
       CMF_EXTENDEDVERBS,
       kCommandCount,
       kSubmenuEntries},
      {"Shift only by policy, Shift held, with Explore",
       {{true, "ShiftOnly", 1}, {false, "ShiftOnly", 0}},
       CMF_EXTENDEDVERBS | CMF_EXPLORE,
       kCommandCount,
       kSubmenuEntries},
      {"Shift only by policy, Explore alone", {{true, "ShiftOnly", 1}}, CMF_EXPLORE, 0, 0},
      {"the last command hidden",
       {{false, "HiddenCommands", 1u << (kCommandCount - 1)}},
       CMF_NORMAL,
       kCommandCount - 1,
       kSubmenuEntries - 2},
      {"only the open", {{false, "HiddenCommands", kEveryCommandHidden & ~1u}}, CMF_NORMAL, 1, 1},
      {"everything hidden", {{true, "HiddenCommands", kEveryCommandHidden}}, CMF_NORMAL, 0, 0},
      {"open on top", {{false, "OpenOnTop", 1}}, CMF_NORMAL, kCommandCount, kSubmenuEntries, true},
      {"open on top by policy, the rest hidden",
       {{true, "OpenOnTop", 1},
        {false, "OpenOnTop", 0},
        {false, "HiddenCommands", kEveryCommandHidden & ~1u}},
       CMF_NORMAL,
       1,
       1,
       true},
      {"open on top, the open hidden",
       {{false, "OpenOnTop", 1}, {false, "HiddenCommands", 1}},
       CMF_NORMAL,
       kCommandCount,
       kSubmenuEntries - 2},
  };
  SettingsGuard settings;
  const std::string file = dir_.WriteFile("a.txt", "x");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(settings.Set(c.values));
    NewShellMenu();
    const HRESULT hr = QueryPaths({file}, c.flags);
    if (c.used == 0) {
      ExpectUnchanged(hr);
      continue;
    }
    ExpectUsed(hr, c.used);
    const std::vector<ReadItem> outer = ReadMenu(shell_menu_.Get());
    ASSERT_EQ(outer.size(), c.top ? 6u : 5u);
    const std::size_t caption = c.top ? 3 : 2;
    EXPECT_EQ(outer[caption].label, text::kSubmenuCaption);
    EXPECT_EQ(ReadMenu(outer[caption].submenu).size(), static_cast<std::size_t>(c.positions));
    if (!c.top) continue;
    EXPECT_EQ(outer[2].label, text::kLabelOpenOnTop);
    EXPECT_EQ(outer[2].id, kFirstId + kOpenOffset);
    EXPECT_FALSE(outer[2].grayed);
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    ASSERT_TRUE(GetMenuItemInfoW(shell_menu_.Get(), 2, TRUE, &item));
    EXPECT_NE(item.hbmpItem, nullptr) << "no icon";
  }
  // Enabled by the open's rule: grayed for a folder.
  ASSERT_TRUE(settings.Set({{false, "OpenOnTop", 1}}));
  NewShellMenu();
  ExpectUsed(QueryPaths({dir_.MakeFolder("top")}), kCommandCount);
  const std::vector<ReadItem> outer = ReadMenu(shell_menu_.Get());
  ASSERT_EQ(outer.size(), 6u);
  EXPECT_TRUE(outer[2].grayed);
  settings.Clear();
  NewShellMenu();
  ExpectSubmenu(QueryPaths({file}), SelectionKind::kSingleFile);
}

// The background of a folder (Initialize with the folder and no data object) and a drive: the
// selection is that folder, with a folder's rules, and the name copy copies its path. With
// FolderBackground 0 neither adds anything; a selected folder keeps its menu.
TEST_F(MenuTest, TheBackgroundOfAFolderAndADrive) {
  SettingsGuard settings;
  const TaskMemory<ITEMIDLIST_ABSOLUTE> folder(ILCreateFromPathW(Wide(dir_.Path()).c_str()));
  ASSERT_TRUE(folder);
  const std::string sub = dir_.MakeFolder("sub");
  auto drive = TestDataObject::Make({"C:\\"});
  for (bool shown : {true, false}) {
    SCOPED_TRACE(shown ? "shown" : "FolderBackground 0");
    ASSERT_TRUE(settings.Set(shown ? std::vector<SettingValue>{}
                                   : std::vector<SettingValue>{{false, "FolderBackground", 0}}));
    NewShellMenu();
    handler_ = dll_.CreateHandler();
    ComRef<IShellExtInit> init;
    ASSERT_EQ(handler_->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put())), S_OK);
    ASSERT_EQ(init->Initialize(folder.Get(), nullptr, nullptr), S_OK);
    const HRESULT background =
        handler_->QueryContextMenu(shell_menu_.Get(), 1, kFirstId, kFirstId + 100, CMF_NORMAL);
    shown ? ExpectSubmenu(background, SelectionKind::kSeveral) : ExpectUnchanged(background);
    if (shown) {
      PutClipboardText("before");
      CMINVOKECOMMANDINFO info = {};
      info.cbSize = sizeof info;
      info.lpVerb = MAKEINTRESOURCEA(OffsetOf(CommandAction::kCopyNames));
      EXPECT_EQ(handler_->InvokeCommand(&info), S_OK);
      EXPECT_STREQ(ReadClipboardText().bytes.c_str(), dir_.Path().c_str());
    }
    NewShellMenu();
    const HRESULT on_drive = Query(drive.Get());
    shown ? ExpectSubmenu(on_drive, SelectionKind::kSeveral) : ExpectUnchanged(on_drive);
    NewShellMenu();
    ExpectSubmenu(QueryPaths({sub}), SelectionKind::kSeveral);
  }
}

// Windows 11 shows our registered package's menu under "Show more options" itself: there the
// classic handler adds nothing, and its submenu everywhere else, in particular in a process the
// package's native DLL cannot load into. The package is looked up once per right-click at most,
// and only on Windows 11 in a native process; Wine has no package system, so the real lookup
// finds none.
TEST_F(MenuTest, OneSubmenuInEachWindows11Menu) {
  const struct {
    const char* name;
    const PackagedMenuProbe* probe;
    unsigned long build;
    bool native;
    bool registered;
    int lookups;
    bool submenu;  // the classic handler adds its submenu
  } systems[] = {
      {"Windows 10, the package registered", &kFakeSystem, 19045, true, true, 0, true},
      {"a build that cannot be read", &kFakeSystem, 0, true, true, 0, true},
      {"the last build before Windows 11, the package registered", &kFakeSystem, 21999, true, true, 0, true},
      {"Windows 11, the package registered", &kFakeSystem, 22000, true, true, 1, false},
      {"Windows 11, registration failed or a user without the package", &kFakeSystem, 22631, true, false, 1,
       true},
      {"Windows 11, a 32-bit program on x64 or an x64 one on ARM64", &kFakeSystem, 22631, false, true, 0,
       true},
      {"Windows 11, the real lookup under Wine", &kRealLookup, 22631, true, false, 1, true},
      {"Windows 11, the package registered, this process", &kRealProcess, 22631, true, true,
       NativeByTheSystemInfo() ? 1 : 0, !NativeByTheSystemInfo()},
  };
  auto data = TestDataObject::Make({dir_.WriteFile("a.txt", "x")});
  for (const auto& system : systems) {
    SCOPED_TRACE(system.name);
    g_build = system.build;
    g_native = system.native;
    g_registered = system.registered;
    g_lookups = 0;
    NewShellMenu();
    auto* made = new CVLPDMenu(*system.probe);
    made->AddRef();
    handler_ = ComRef<IContextMenu>::Adopt(made);
    ASSERT_EQ(made->Initialize(nullptr, data.Get(), nullptr), S_OK);
    const HRESULT added =
        handler_->QueryContextMenu(shell_menu_.Get(), 1, kFirstId, kFirstId + 100, CMF_NORMAL);
    system.submenu ? ExpectSubmenu(added, SelectionKind::kSingleFile) : ExpectUnchanged(added);
    EXPECT_EQ(g_lookups, system.lookups);
  }
}

// The real lookups read the registry: the build Windows records, as the system reports it, and
// the current user's packages by full name, ours in any case and no other, installed in the
// folder of the code that looks.
TEST(PackagedMenu, TheRealLookupsReadTheRegistry) {
  using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto get_version = reinterpret_cast<GetVersion>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  ASSERT_NE(get_version, nullptr);
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_EQ(get_version(&version), 0);
  EXPECT_EQ(WindowsBuildNumber(), version.dwBuildNumber);
  EXPECT_LT(WindowsBuildNumber(), kFirstWindows11Build) << "Wine 8 plays no Windows 11";

  const std::wstring app_model =
      L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel";
  RegKey before;
  const bool existed =
      RegOpenKeyExW(HKEY_CURRENT_USER, app_model.c_str(), 0, KEY_READ, before.Put()) == ERROR_SUCCESS;
  EXPECT_FALSE(PackageRegisteredForUser()) << "Wine has no package system";
  std::wstring ours = Wide(VLPD_PACKAGE_NAME);
  std::transform(ours.begin(), ours.end(), ours.begin(), [](wchar_t c) { return std::towupper(c); });
  // This program's folder, as the DLL's own would be: the lookup is linked into it.
  wchar_t module[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::wstring here(module, std::wstring_view(module, length).find_last_of(L'\\'));
  // Each case's packages are listed in this order, each installed in `location` (none when null);
  // the last name decides.
  const std::wstring long_name = L"A" + std::wstring(140, L'x') + L"_1.0.0.0_neutral__abcdefghjkmnp";
  const std::wstring ours_now = ours + L"_1.50.0.0_neutral__abcdefghjkmnp";
  const struct {
    std::vector<std::wstring> full_names;
    const wchar_t* location;
    bool ours;
  } cases[] = {
      {{L"Microsoft.WindowsNotepad_11.2310.13.0_x64__8wekyb3d8bbwe"}, here.c_str(), false},
      {{Wide(VLPD_PACKAGE_NAME) + L"Tools_1.0.0.0_neutral__abcdefghjkmnp"},
       here.c_str(),
       false},                           // begins like ours
      {{ours_now}, here.c_str(), true},  // in capitals
      // A name longer than any package's is skipped, not taken for the end of the list.
      {{long_name, Wide(VLPD_PACKAGE_NAME) + L"_1.50.0.0_neutral__abcdefghjkmnp"}, here.c_str(), true},
      // Ours, left registered elsewhere (the other scope's folder, a removed one) or unreadable.
      {{ours_now}, L"C:\\Program Files\\VLPDMenu", false},
      {{ours_now}, nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.full_names.back()));
    for (const std::wstring& full_name : c.full_names) {
      const std::wstring key = app_model + L"\\Repository\\Packages\\" + full_name;
      RegKey made;
      ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, made.Put(),
                                nullptr),
                ERROR_SUCCESS);
      if (c.location == nullptr) continue;
      ASSERT_EQ(RegSetValueExW(made.Get(), L"PackageRootFolder", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(c.location),
                               static_cast<DWORD>((wcslen(c.location) + 1) * sizeof(wchar_t))),
                ERROR_SUCCESS);
    }
    EXPECT_EQ(PackageRegisteredForUser(), c.ours);
    for (const std::wstring& full_name : c.full_names)
      RegDeleteKeyW(HKEY_CURRENT_USER, (app_model + L"\\Repository\\Packages\\" + full_name).c_str());
  }
  if (!existed) RegDeleteTreeW(HKEY_CURRENT_USER, app_model.c_str());
}

}  // namespace
}  // namespace vlpd::test
