// What a shell, a folder or another program may hand the built DLL: data objects of odd shapes,
// help-text buffers of no room, odd invoke forms, and install values of every odd kind. Each ends
// in the handler's own message or in a silent no-op; nothing is written past a buffer, every
// medium and reference is given back.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "commands/handler_text.h"
#include "commands/install_folder.h"
#include "fixtures/command_rows.h"
#include "host/message_box_watcher.h"
#include "host/save_dialog_user.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "tests/support/clipboard.h"
#include "tests/support/install_key.h"
#include "tests/support/temp_dir.h"

namespace vlpd::test {
namespace {

constexpr UINT kOpen = OffsetOfSwitch("");
constexpr UINT kCreateProject = OffsetOf(CommandAction::kCreateProject);
constexpr UINT kCopyNames = OffsetOf(CommandAction::kCopyNames);
constexpr char kUntouched[] = "left by another program";

// The drop list of 20,000 names costs the handler tens of seconds a read while each name is
// looked up from the list's start, so the test command hands over 2,000 and tools/soak.sh,
// which sets VLPD_LONG_RUN, the full 20,000.
int ManyNames() { return std::getenv("VLPD_LONG_RUN") != nullptr ? 20000 : 2000; }

std::vector<unsigned char> DropHeader(std::initializer_list<unsigned char> names) {
  std::vector<unsigned char> block(sizeof(DROPFILES) + names.size(), 0);
  block[0] = sizeof(DROPFILES);
  std::copy(names.begin(), names.end(), block.begin() + sizeof(DROPFILES));
  return block;
}

DropOptions Raw(std::vector<unsigned char> block) {
  DropOptions options;
  options.use_raw_block = true;
  options.raw_block = std::move(block);
  return options;
}

class HostileInputTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dll_.Loaded()); }
  void TearDown() override { EXPECT_EQ(dll_.CanUnloadNow(), S_OK) << "an object of the DLL is still alive"; }

  // Plays the shell for one command even when Initialize refused the data object, as a careless
  // caller might; returns InvokeCommand's answer.
  HRESULT Invoke(IDataObject* data, CMINVOKECOMMANDINFO* info) {
    ComRef<IContextMenu> handler = dll_.CreateHandler();
    if (!handler) return E_FAIL;
    ShownMenu shown;
    ShowMenu(handler.Get(), data, shown);
    return handler->InvokeCommand(info);
  }
  HRESULT Invoke(IDataObject* data, UINT offset, const char* directory = nullptr) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.lpDirectory = directory;
    info.nShow = SW_SHOWNORMAL;
    return Invoke(data, &info);
  }

  ComApartment com_;
  VlpdDll dll_;
  InstallKeyGuard registry_;
  TempDir temp_{"vlpd_hostile"};
  MessageBoxWatcher boxes_;
};

// One data object shape and what the handler makes of it.
struct DataCase {
  const char* what;
  std::vector<std::string> paths;
  DropOptions options;
  HRESULT init;   // Initialize's answer
  UINT commands;  // commands QueryContextMenu adds
  bool copies;    // the name copy replaces the clipboard with the names
  bool starts;    // the open command tries to start the editor (there is none: its message)
};

TEST_F(HostileInputTest, DataObjectsOfEveryShapeEndInAMenuOrNothing) {
  const std::string file = temp_.WriteFile("a.txt", "text");
  std::vector<std::string> many = {file};
  for (int i = 1; i < ManyNames(); ++i) many.push_back("C:\\n\\" + std::to_string(i) + ".txt");

  DropOptions no_drop_list;
  no_drop_list.offer_hdrop = false;
  DropOptions stream_only;
  stream_only.stream_only = true;
  DropOptions stream_regardless;
  stream_regardless.stream_regardless = true;
  DropOptions null_block;
  null_block.null_block = true;
  DropOptions wide;
  wide.wide_names = true;
  DropOptions target_devices;
  target_devices.target_devices = true;
  std::vector<unsigned char> far_offset = DropHeader({'C', ':', '\\', 0, 0});
  far_offset[1] = 0x7F;  // pFiles 0x7F14
  std::vector<unsigned char> wide_cut = DropHeader({'C', 0, ':', 0, 0});
  wide_cut[16] = 1;  // fWide

  const DataCase cases[] = {
      {"GetData fails", {file}, no_drop_list, E_INVALIDARG, 0, false, false},
      {"TYMED_ISTREAM only", {file}, stream_only, E_INVALIDARG, 0, false, false},
      {"a stream where HGLOBAL was asked", {file}, stream_regardless, S_OK, 0, false, false},
      {"S_OK with no block", {file}, null_block, S_OK, 0, false, false},
      {"no names", {}, {}, S_OK, 0, false, false},
      {"many names", many, {}, S_OK, kCommandCount, true, true},
      {"many wide names", many, wide, S_OK, kCommandCount, true, true},
      {"formats with target devices", {file}, target_devices, S_OK, kCommandCount, true, true},
      {"first name gone from disk", {temp_ / "gone.txt", file}, {}, S_OK, 0, true, true},
      {"block shorter than its header", {}, Raw(std::vector<unsigned char>(12, 0)), S_OK, 0, false, false},
      {"list offset far outside the block", {}, Raw(far_offset), S_OK, 0, false, false},
      {"name without terminator", {}, Raw(DropHeader({'C', ':', '\\', 'a'})), S_OK, 0, false, false},
      {"no closing empty name", {}, Raw(DropHeader({'C', ':', '\\', 'a', 0})), S_OK, 0, false, false},
      {"wide list cut inside a unit", {}, Raw(wide_cut), S_OK, 0, false, false},
  };
  // An install folder without the editor in it: a launch that gets that far says it failed.
  ASSERT_TRUE(SetInstallFolder(temp_.MakeFolder("no editor")));

  for (const DataCase& c : cases) {
    SCOPED_TRACE(c.what);
    DropOptions options = c.options;
    options.count_releases = !options.stream_only && !options.stream_regardless && !options.null_block;
    ComRef<TestDataObject> data = TestDataObject::Make(c.paths, options);
    {
      ComRef<IContextMenu> handler = dll_.CreateHandler();
      ASSERT_TRUE(handler);
      ShownMenu shown;
      const DWORD start = GetTickCount();
      ShowMenu(handler.Get(), data.Get(), shown);
      std::printf("%s (%zu names): the menu took %lu ms\n", c.what, c.paths.size(), GetTickCount() - start);
      EXPECT_EQ(shown.init_result, c.init);
      EXPECT_EQ(shown.query_result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, c.commands));
      EXPECT_EQ(GetMenuItemCount(shown.menu.Get()), c.commands == 0 ? 0 : 3);
    }

    PutClipboardText(kUntouched);
    EXPECT_EQ(Invoke(data.Get(), kCopyNames), S_OK);
    // The copy's block holds the names joined by CR LF and two zero bytes.
    std::string expected = std::string(kUntouched) + '\0';
    if (c.copies) {
      expected.clear();
      for (const std::string& path : c.paths) expected += (expected.empty() ? "" : "\r\n") + path;
      expected += std::string(2, '\0');
    }
    EXPECT_TRUE(ReadClipboardText().bytes == expected);
    EXPECT_TRUE(ClipboardIsFree());

    EXPECT_EQ(Invoke(data.Get(), kOpen), S_OK);
    const std::vector<SeenBox> seen = boxes_.WaitFor(c.starts ? 1 : 0, 2000);
    ASSERT_EQ(seen.size(), c.starts ? 1u : 0u);
    if (c.starts) {
      EXPECT_EQ(seen[0].title, text::kTitleModule);
      EXPECT_EQ(seen[0].text, text::kMessageStartFailed);
    }
    boxes_.Clear();

    if (options.count_releases) {
      EXPECT_EQ(data->MediaReleased(), data->MediaHandedOut());
    }
    EXPECT_EQ(data->References(), 1) << "a reference to the data object was kept";
    EXPECT_TRUE(!options.target_devices || data->TargetDevicesFreed()) << "a target device was not freed";
  }
}

TEST_F(HostileInputTest, NamesOf260BytesOrMoreAreLeftOut) {
  const std::string fits = "C:\\" + std::string(256, 'f');  // 259 bytes
  const std::string over = "C:\\" + std::string(257, 'o');  // 260 bytes
  // 表 is two bytes but one UTF-16 unit: far fewer units than bytes in a wide list.
  std::string wide_fits = "C:\\";
  for (int i = 0; i < 128; ++i) wide_fits += "\x95\x5C";        // 259 bytes
  const std::string wide_over = "C:\\x" + wide_fits.substr(3);  // 260 bytes
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "wide list" : "ANSI list");
    DropOptions options;
    options.wide_names = wide;
    ComRef<TestDataObject> data = TestDataObject::Make({over, fits, wide_over, wide_fits}, options);
    PutClipboardText(kUntouched);
    EXPECT_EQ(Invoke(data.Get(), kCopyNames), S_OK);
    EXPECT_EQ(ReadClipboardText().bytes, fits + "\r\n" + wide_fits + std::string(2, '\0'));
  }
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(HostileInputTest, InitializeGivesBackTheMediumItAskedFor) {
  DropOptions counted;
  counted.count_releases = true;
  ComRef<TestDataObject> data = TestDataObject::Make({"C:\\a.txt"}, counted);
  ComRef<IContextMenu> handler = dll_.CreateHandler();
  ASSERT_TRUE(handler);
  ComRef<IShellExtInit> init;
  ASSERT_EQ(handler->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put())), S_OK);
  for (int k = 0; k < 3; ++k) ASSERT_EQ(init->Initialize(nullptr, data.Get(), nullptr), S_OK);
  EXPECT_GE(data->MediaHandedOut(), 3);
  EXPECT_EQ(data->MediaReleased(), data->MediaHandedOut());
}

// A request form and the bytes one unit of its capacity takes.
struct StringForm {
  UINT type;
  UINT unit;
};

TEST_F(HostileInputTest, HelpTextsIntoBuffersOfNoRoomTouchNothingPastThem) {
  ComRef<IContextMenu> handler = dll_.CreateHandler();
  ASSERT_TRUE(handler);
  const StringForm forms[] = {{GCS_HELPTEXTA, 1}, {GCS_HELPTEXTW, 2}, {GCS_VERBA, 1},
                              {GCS_VERBW, 2},     {GCS_VALIDATEA, 1}, {GCS_VALIDATEW, 2}};
  int tried = 0;
  for (const StringForm& form : forms) {
    for (UINT capacity : {0u, 1u}) {
      for (UINT_PTR command = 0; command < 10; ++command) {
        SCOPED_TRACE(testing::Message()
                     << "type " << form.type << " cchMax " << capacity << " command " << command);
        unsigned char buffer[16];
        std::memset(buffer, 0x7E, sizeof buffer);
        EXPECT_EQ(
            handler->GetCommandString(command, form.type, nullptr, reinterpret_cast<LPSTR>(buffer), capacity),
            S_OK);
        const UINT room = capacity * form.unit;
        for (UINT k = room; k < sizeof buffer; ++k) ASSERT_EQ(buffer[k], 0x7E) << "wrote byte " << k;
        // What fits in one unit is the terminator alone.
        for (UINT k = 0; k < room; ++k) EXPECT_TRUE(buffer[k] == 0 || buffer[k] == 0x7E) << k;
        ++tried;
      }
    }
  }
  EXPECT_EQ(tried, 120);
}

TEST_F(HostileInputTest, InvokeFormsAShellMayUse) {
  const std::string file = temp_.WriteFile("a.txt", "text");
  ComRef<TestDataObject> data = TestDataObject::Make({file});

  // The extended form, as Explorer sends it, with the offset in both verb fields.
  CMINVOKECOMMANDINFOEX ex = {};
  ex.cbSize = sizeof ex;
  ex.fMask = CMIC_MASK_UNICODE;
  ex.lpVerb = MAKEINTRESOURCEA(kCopyNames);
  ex.lpVerbW = MAKEINTRESOURCEW(kCopyNames);
  ex.nShow = SW_SHOWNORMAL;
  PutClipboardText(kUntouched);
  EXPECT_EQ(Invoke(data.Get(), reinterpret_cast<CMINVOKECOMMANDINFO*>(&ex)), S_OK);
  EXPECT_EQ(ReadClipboardText().bytes, file + std::string(2, '\0'));

  // Verbs given as text, and offsets past the last command: refused, nothing done.
  PutClipboardText(kUntouched);
  ex.lpVerb = "copy";
  ex.lpVerbW = L"copy";
  EXPECT_EQ(Invoke(data.Get(), reinterpret_cast<CMINVOKECOMMANDINFO*>(&ex)), E_INVALIDARG);
  const std::string copy_as_text = std::to_string(kCopyNames);
  for (const char* verb : {"open", "", copy_as_text.c_str(), "properties"}) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    EXPECT_EQ(Invoke(data.Get(), &info), E_INVALIDARG) << verb;
  }
  for (UINT offset : {kCommandCount + 0u, kCommandCount + 1u, 0x7FFFu, 0xFFFFu})
    EXPECT_EQ(Invoke(data.Get(), offset), E_INVALIDARG) << offset;
  EXPECT_EQ(ReadClipboardText().bytes, std::string(kUntouched) + '\0');

  // No invoking folder: the project keeps absolute paths.
  {
    SaveDialogUser user(TypeName(temp_ / "nowhere.vpj"));
    EXPECT_EQ(Invoke(data.Get(), kCreateProject, nullptr), S_OK);
    user.Finish();
    EXPECT_TRUE(user.Found());
  }
  EXPECT_EQ(ReadFileBytes(temp_ / "nowhere.vpj"), "/S " + file + "\r\n");
  EXPECT_TRUE(boxes_.Seen().empty());
}

// An odd INSTALL value and what the open command says.
struct InstallCase {
  const char* what;
  DWORD type;
  std::string bytes;
  const char* title;
  const char* message;
};

TEST_F(HostileInputTest, OddInstallValuesGiveTheirMessageAndStartNothing) {
  const std::string file = temp_.WriteFile("a.txt", "text");
  // A real folder without the editor: read whole, it leads to the start failure.
  const std::string empty = temp_.MakeFolder("empty");
  std::string deep = "C:\\";  // 259 characters
  while (deep.size() < 259) deep += (deep.size() % 50 == 0) ? '\\' : 'i';
  const DWORD number = 0x12345678;
  const InstallCase cases[] = {
      {"259 characters", REG_SZ, deep + '\0', text::kTitleModule, text::kMessageStartFailed},
      {"300 bytes", REG_SZ, std::string(299, 'x') + '\0', text::kTitleStartFailed,
       text::kMessageNoInstallFolder},
      {"REG_DWORD", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4),
       text::kTitleStartFailed, text::kMessageNoInstallFolder},
      {"REG_EXPAND_SZ", REG_EXPAND_SZ, empty + '\0', text::kTitleStartFailed, text::kMessageNoInstallFolder},
      {"REG_BINARY", REG_BINARY, empty, text::kTitleStartFailed, text::kMessageNoInstallFolder},
      {"REG_MULTI_SZ", REG_MULTI_SZ, empty + '\0' + '\0', text::kTitleStartFailed,
       text::kMessageNoInstallFolder},
      {"no terminator", REG_SZ, empty, text::kTitleModule, text::kMessageStartFailed},
      {"no terminator, 261 bytes", REG_SZ, std::string(261, 'x'), text::kTitleStartFailed,
       text::kMessageNoInstallFolder},
      {"no bytes at all", REG_BINARY, "", text::kTitleStartFailed, text::kMessageNoInstallFolder},
      // Only an absolute folder without quotes names one editor.
      {"empty", REG_SZ, std::string(1, '\0'), text::kTitleStartFailed, text::kMessageNoInstallFolder},
      {"relative", REG_SZ, std::string("relv\0", 5), text::kTitleStartFailed, text::kMessageNoInstallFolder},
      {"drive-relative", REG_SZ, "C:" + empty.substr(3) + '\0', text::kTitleStartFailed,
       text::kMessageNoInstallFolder},
      {"rooted, no drive", REG_SZ, empty.substr(2) + '\0', text::kTitleStartFailed,
       text::kMessageNoInstallFolder},
      {"a quote", REG_SZ, empty + "\" /x\0", text::kTitleStartFailed, text::kMessageNoInstallFolder},
  };
  ComRef<TestDataObject> data = TestDataObject::Make({file});
  for (const InstallCase& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(SetInstall(c.type, c.bytes));
    EXPECT_EQ(Invoke(data.Get(), kOpen), S_OK);
    const std::vector<SeenBox> seen = boxes_.WaitFor(1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, c.title);
    EXPECT_EQ(seen[0].text, c.message);
    boxes_.Clear();
  }
}

TEST(GetInstallFolder, NeverWritesPastItsBuffer) {
  InstallKeyGuard registry;
  constexpr size_t kSize = 261;
  struct Case {
    std::string value;  // stored as REG_SZ, bytes as they are
    int result;
    std::string read;
  };
  const Case cases[] = {
      {std::string(261, 'x'), 0, ""},                     // unterminated, one byte over
      {std::string(260, 'x'), 1, std::string(260, 'x')},  // unterminated, fills the buffer
      {std::string(260, 'x') + '\0', 0, ""},              // terminated, one byte over
      {std::string(259, 'x') + '\0', 1, std::string(259, 'x')},
      {std::string(300, 'x'), 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value.size());
    ASSERT_TRUE(SetInstall(REG_SZ, c.value));
    char buffer[kSize + 8];
    std::memset(buffer, 0x7E, sizeof buffer);
    EXPECT_EQ(GetInstallFolder(buffer, kSize), c.result);
    for (size_t k = kSize; k < sizeof buffer; ++k) ASSERT_EQ(buffer[k], 0x7E) << "wrote byte " << k;
    if (c.result == 1) {
      EXPECT_EQ(std::string(buffer), c.read);
    }
  }
}

}  // namespace
}  // namespace vlpd::test
