// The open and encoding commands, driven through the built DLL as the shell drives them: the
// install folder comes from the real registry and a stand-in editor records the command line it
// was started with.
#include <windows.h>
// sddl.h needs windows.h before it.
#include <gtest/gtest.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "commands/handler_text.h"
#include "commands/install_folder.h"
#include "commands/run_command.h"
#include "fixtures/command_rows.h"
#include "host/message_box_watcher.h"
#include "host/shell_data_object.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "tests/support/install_key.h"
#include "tests/support/stand_in_editor.h"
#include "tests/support/temp_dir.h"
#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

constexpr const char* kExeName = kEditorExeName;
constexpr char kHyo[] = "\x95\\";                                // 表: its trail byte is 0x5C
constexpr char kJapaneseFile[] = "\x83\x81\x83\x82 \x95\\.txt";  // メモ 表.txt

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dll_.Loaded());
    ASSERT_FALSE(StandInEditor().empty()) << "stand-in editor not built";
  }
  void TearDown() override { WaitForStandInsToQuit(); }

  // Copies the stand-in editor into a new folder below the temp folder; returns that folder.
  std::string EditorFolder(const std::string& relative) {
    const std::string folder = temp_.MakeFolder(relative);
    EXPECT_TRUE(CopyFileA(StandInEditor().c_str(), (folder + "\\" + kExeName).c_str(), FALSE));
    return folder;
  }

  // Plays the shell: a new handler, Initialize, QueryContextMenu, then `verb` or the open command.
  HRESULT Invoke(const std::vector<std::string>& paths, LPCSTR verb) {
    ComRef<TestDataObject> data = TestDataObject::Make(paths);
    return InvokeOnNewHandler(dll_, data.Get(), verb);
  }
  HRESULT Open(const std::vector<std::string>& paths, const char* editor_switch) {
    return Invoke(paths, MAKEINTRESOURCEA(OffsetOfSwitch(editor_switch)));
  }
  HRESULT OpenOn(IDataObject* data, const char* editor_switch) {
    return InvokeOnNewHandler(dll_, data, MAKEINTRESOURCEA(OffsetOfSwitch(editor_switch)));
  }

  // What the stand-in in `folder` recorded, once it has quit: its command line and "ready", each
  // with CR LF.
  static std::string Recorded(const std::string& folder) {
    WaitForStandInsToQuit();
    return ReadFileBytes(folder + "\\cmdline.txt");
  }
  static std::string Expected(const std::string& folder_with_separator, const std::string& encoding_switch,
                              const std::string& path) {
    return "\"" + folder_with_separator + kExeName + "\" " + encoding_switch + "\"" + path +
           "\"\r\nready\r\n";
  }

  ComApartment com_;
  VlpdDll dll_;
  InstallKeyGuard registry_;
  TempDir temp_{"vlpd_launch"};
  MessageBoxWatcher boxes_;
};

// The launch returns once the editor is started, long before it takes input (the stand-in is
// held at its gate until then, 30 s at most): a worker does the waiting and holds the DLL, which
// stays loaded while the worker waits even when its last user lets it go.
TEST_F(LaunchTest, TheLaunchReturnsAtOnceAndAWorkerHoldingTheModuleWaits) {
  // Under the emulated arm64 Wine, WaitForInputIdle returns before the editor takes input.
  if (SlowProcessStart()) GTEST_SKIP() << "the emulated Wine shows no wait for input";
  const std::string folder = EditorFolder("Editor");
  const std::string file = temp_.WriteFile("doc\\memo.txt", "text");
  ASSERT_TRUE(SetInstallFolder(folder));
  ComRef<TestDataObject> data = TestDataObject::Make({file});
  ShellSelection selection;
  selection.Attach(data.Get());
  {
    StandInGate gate;
    LaunchEditor(selection, "", nullptr, 60000);
    ASSERT_TRUE(gate.Reached());
    gate.Open();
    WaitForStandInsToQuit();
    EXPECT_EQ(Recorded(folder), Expected(folder + "\\", "", file)) << "the launch waited for the editor";
  }
  DeleteFileA((folder + "\\cmdline.txt").c_str());
  StandInGate gate;
  EXPECT_EQ(Open({file}, ""), S_OK);
  ASSERT_TRUE(gate.Reached());
  const HMODULE module = dll_.Module();
  FreeLibrary(module);
  EXPECT_EQ(GetModuleHandleA(dll_.Path().c_str()), module) << "unloaded under its waiting worker";
  LoadLibraryA(dll_.Path().c_str());  // the test's own reference again
  gate.Open();
  EXPECT_EQ(Recorded(folder), Expected(folder + "\\", "", file));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(LaunchTest, EachOpenCommandStartsTheEditorWithItsSwitch) {
  const std::string folder = EditorFolder("Editor");
  const std::string file = temp_.WriteFile("doc\\memo.txt", "text");
  ASSERT_TRUE(SetInstallFolder(folder));
  for (UINT offset = 0; offset < kCommandCount; ++offset) {
    SCOPED_TRACE(offset);
    if (kCommands[offset].action != CommandAction::kOpenInEditor) continue;
    DeleteFileA((folder + "\\cmdline.txt").c_str());
    EXPECT_EQ(Invoke({file}, MAKEINTRESOURCEA(offset)), S_OK);
    EXPECT_EQ(Recorded(folder), Expected(folder + "\\", kCommands[offset].editor_switch, file));
  }
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(LaunchTest, InstallFolderWithTrailingSeparatorIsNotDoubled) {
  const std::string folder = EditorFolder("Tools\\Editor");
  const std::string file = temp_.WriteFile("memo.txt", "text");
  ASSERT_TRUE(SetInstallFolder(folder + "\\"));
  EXPECT_EQ(Open({file}, "/E "), S_OK);
  EXPECT_EQ(Recorded(folder), Expected(folder + "\\", "/E ", file));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(LaunchTest, JapaneseInstallFolderAndPathPassByteForByte) {
  // The folder ends in 表, whose 0x5C trail byte is no separator: one must still be appended.
  const std::string folder = EditorFolder(std::string("\x83\x81\x83\x82\\") + kHyo);  // メモ\表
  const std::string file = temp_.WriteFile(std::string(kHyo) + "\\" + kJapaneseFile, "text");
  for (const std::string& install : {folder, folder + "\\"}) {
    SCOPED_TRACE(install);
    ASSERT_TRUE(SetInstallFolder(install));
    DeleteFileA((folder + "\\cmdline.txt").c_str());
    EXPECT_EQ(Open({file}, "/S "), S_OK);
    EXPECT_EQ(Recorded(folder), Expected(folder + "\\", "/S ", file));
  }
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(LaunchTest, OnlyTheFirstOfSeveralSelectedPathsIsPassed) {
  const std::string folder = EditorFolder("Editor");
  const std::string first = temp_.WriteFile("a.txt", "a");
  const std::string second = temp_.MakeFolder("dir");
  const std::string third = temp_.WriteFile("b c.txt", "b");
  ASSERT_TRUE(SetInstallFolder(folder));
  EXPECT_EQ(Open({first, second, third}, "/UL "), S_OK);
  EXPECT_EQ(Recorded(folder), Expected(folder + "\\", "/UL ", first));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(LaunchTest, NamesOutsideTheCodePageOpenByTheirShortPathsNeverByALookalike) {
  const std::string folder = EditorFolder("Editor");
  SetInstallFolder(folder);
  // What a plain conversion makes of the first two names.
  const std::string lookalike = temp_.WriteFile("cafe.txt", "lookalike");
  for (const std::wstring name : {L"caf\x00E9.txt", L"caf\x00E9\x2615\xD55C.txt", L"\xD55C\xAE00.txt"}) {
    SCOPED_TRACE(Narrow(name));
    const std::wstring file = temp_.WriteFileW(name, "text");
    DeleteFileA((folder + "\\cmdline.txt").c_str());
    auto data = ShellDataObject(temp_.WidePath(), {name});
    ASSERT_TRUE(data);
    EXPECT_EQ(OpenOn(data.Get(), "/E "), S_OK);
    EXPECT_EQ(Recorded(folder), Expected(folder + "\\", "/E ", temp_.Path() + "\\" + ShortAlias(file)));
    EXPECT_EQ(Recorded(folder).find(lookalike), std::string::npos);
  }

  // Without the file there is no short path: nothing starts, not even on the lookalike.
  temp_.WriteFile("gone.txt", "lookalike");
  DropOptions options;
  options.unicode_paths = {temp_.WidePath() + L"\\gon\x00E9.txt"};
  auto absent = TestDataObject::Make({}, options);
  DeleteFileA((folder + "\\cmdline.txt").c_str());
  EXPECT_EQ(OpenOn(absent.Get(), ""), S_OK);
  EXPECT_FALSE(FileExists(folder + "\\cmdline.txt"));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(LaunchTest, VerbTextAndOffsetPastTheLastCommandAreRefusedWithoutSideEffects) {
  const std::string folder = EditorFolder("Editor");
  const std::string file = temp_.WriteFile("memo.txt", "text");
  RemoveInstallKey();
  EXPECT_EQ(Invoke({file}, "open"), E_INVALIDARG);
  EXPECT_EQ(Invoke({file}, MAKEINTRESOURCEA(kCommandCount)), E_INVALIDARG);
  EXPECT_FALSE(InstallKeyExists());
  EXPECT_FALSE(FileExists(folder + "\\cmdline.txt"));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(LaunchTest, EmptySelectionStartsNothingAndSaysNothing) {
  const std::string folder = EditorFolder("Editor");
  ASSERT_TRUE(SetInstallFolder(folder));
  EXPECT_EQ(Open({}, ""), S_OK);
  EXPECT_FALSE(FileExists(folder + "\\cmdline.txt"));
  EXPECT_TRUE(boxes_.Seen().empty());
}

// The install-folder message, and nothing started.
void ExpectNoInstallFolder(MessageBoxWatcher& boxes, const std::string& folder) {
  const std::vector<SeenBox> seen = boxes.WaitFor(1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, text::kTitleStartFailed);
  EXPECT_EQ(seen[0].text, text::kMessageNoInstallFolder);
  EXPECT_FALSE(FileExists(folder + "\\cmdline.txt"));
}

TEST_F(LaunchTest, MissingValueIsReportedAndTheKeyIsCreated) {
  const std::string folder = EditorFolder("Editor");
  const std::string file = temp_.WriteFile("memo.txt", "text");
  ASSERT_FALSE(InstallKeyExists());
  EXPECT_EQ(Open({file}, ""), S_OK);
  ExpectNoInstallFolder(boxes_, folder);
  EXPECT_TRUE(InstallKeyExists());
}

TEST_F(LaunchTest, ExpandableStringValueCountsAsMissing) {
  const std::string folder = EditorFolder("Editor");
  const std::string file = temp_.WriteFile("memo.txt", "text");
  ASSERT_TRUE(SetInstall(REG_EXPAND_SZ, std::string(folder.c_str(), folder.size() + 1)));
  EXPECT_EQ(Open({file}, ""), S_OK);
  ExpectNoInstallFolder(boxes_, folder);
}

TEST_F(LaunchTest, ValueStoredWithoutTerminatorStillNamesTheFolder) {
  const std::string folder = EditorFolder("Editor");
  const std::string file = temp_.WriteFile("memo.txt", "text");
  ASSERT_TRUE(SetInstall(REG_SZ, folder));
  {  // The value really lacks its terminator: its UTF-16 form is exactly as long as the text.
    RegKey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kInstallKeyPath, 0, KEY_READ, key.Put()), ERROR_SUCCESS);
    DWORD bytes = 0;
    ASSERT_EQ(RegQueryValueExW(key.Get(), L"INSTALL", nullptr, nullptr, nullptr, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, 2 * folder.size());
  }
  EXPECT_EQ(Open({file}, "/U8 "), S_OK);
  EXPECT_EQ(Recorded(folder), Expected(folder + "\\", "/U8 ", file));
  EXPECT_TRUE(boxes_.Seen().empty());
}

// An install folder of 260 bytes: one byte more than the 261-byte buffer's text and terminator
// allow is refused, and so is a folder with no room left for its separator.
std::string LongFolder(size_t length, char last) {
  std::string folder = "C:\\";
  while (folder.size() < length - 1) folder += (folder.size() % 100 == 0) ? '\\' : 'v';
  return folder + last;
}

TEST_F(LaunchTest, ValueLongerThanTheBufferIsNotObtained) {
  const std::string file = temp_.WriteFile("memo.txt", "text");
  ASSERT_TRUE(SetInstallFolder(LongFolder(260, 'v')));  // 261 bytes with its terminator
  EXPECT_EQ(Open({file}, ""), S_OK);
  ASSERT_TRUE(SetInstall(REG_SZ, LongFolder(261, '\\')));  // 261 bytes, no terminator
  EXPECT_EQ(Open({file}, ""), S_OK);
  const std::vector<SeenBox> seen = boxes_.WaitFor(2);
  ASSERT_EQ(seen.size(), 2u);
  for (const SeenBox& box : seen) {
    EXPECT_EQ(box.title, text::kTitleStartFailed);
    EXPECT_EQ(box.text, text::kMessageNoInstallFolder);
  }
}

TEST_F(LaunchTest, FullLengthValueNeedsRoomForItsSeparator) {
  const std::string file = temp_.WriteFile("memo.txt", "text");
  ASSERT_TRUE(SetInstall(REG_SZ, LongFolder(260, 'v')));  // fills the buffer; no room for the separator
  EXPECT_EQ(Open({file}, ""), S_OK);
  std::vector<SeenBox> seen = boxes_.WaitFor(1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, text::kTitleStartFailed);
  EXPECT_EQ(seen[0].text, text::kMessageNoInstallFolder);

  // Ending in its separator the same length is a folder; no editor can be started from it.
  ASSERT_TRUE(SetInstall(REG_SZ, LongFolder(260, '\\')));
  EXPECT_EQ(Open({file}, ""), S_OK);
  seen = boxes_.WaitFor(2);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].title, text::kTitleModule);
  EXPECT_EQ(seen[1].text, text::kMessageStartFailed);
}

TEST_F(LaunchTest, UnopenableKeyGivesTheRegistryMessageThenTheInstallFolderMessage) {
  const std::string folder = EditorFolder("Editor");
  const std::string file = temp_.WriteFile("memo.txt", "text");
  ASSERT_TRUE(SetInstallFolder(folder));
  {  // Everyone may read the key but not write it; KEY_ALL_ACCESS asks for both.
    RegKey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kInstallKeyPath, 0, WRITE_DAC, key.Put()), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;0x6;;;WD)(A;;KA;;;WD)",
                                                                     SDDL_REVISION_1, &descriptor, nullptr));
    const LONG set = RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    ASSERT_EQ(set, ERROR_SUCCESS);
    RegKey probe;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kInstallKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              probe.Put(), nullptr),
              ERROR_ACCESS_DENIED);
  }
  EXPECT_EQ(Open({file}, ""), S_OK);
  const std::vector<SeenBox> seen = boxes_.WaitFor(2);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, text::kTitleModule);
  EXPECT_EQ(seen[0].text, text::kMessageRegistryFailed);
  EXPECT_EQ(seen[1].title, text::kTitleStartFailed);
  EXPECT_EQ(seen[1].text, text::kMessageNoInstallFolder);
  EXPECT_FALSE(FileExists(folder + "\\cmdline.txt"));
}

TEST_F(LaunchTest, AQuoteInTheSelectedNameStartsNothing) {
  const std::string folder = EditorFolder("Editor");
  ASSERT_TRUE(SetInstallFolder(folder));
  EXPECT_EQ(Open({temp_.Path() + "\\a\" /P \"b.txt"}, ""), S_OK);
  const std::vector<SeenBox> seen = boxes_.WaitFor(1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, text::kMessageStartFailed);
  EXPECT_FALSE(FileExists(folder + "\\cmdline.txt"));
}

TEST_F(LaunchTest, MissingExecutableIsReportedAsAFailedStart) {
  const std::string folder = temp_.MakeFolder("Empty");
  const std::string file = temp_.WriteFile("memo.txt", "text");
  ASSERT_TRUE(SetInstallFolder(folder));
  EXPECT_EQ(Open({file}, ""), S_OK);
  const std::vector<SeenBox> seen = boxes_.WaitFor(1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, text::kTitleModule);
  EXPECT_EQ(seen[0].text, text::kMessageStartFailed);
}

}  // namespace
}  // namespace vlpd::test
