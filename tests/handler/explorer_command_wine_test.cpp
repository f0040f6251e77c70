// Both Explorers against the built DLL through COM: the classic context menu (a data object,
// QueryContextMenu, InvokeCommand) and the Windows 11 menu (a shell item array, the command tree,
// Invoke). For the same selections both must show the same items with the same texts and states,
// and each command must leave the same command line, project file or clipboard. Then the Windows
// 11 menu alone: invoked from another thread, and on hostile item arrays.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "handler/handler_text.h"
#include "project/project_text.h"
#include "tests/host/explorer_host.h"
#include "tests/host/message_box_watcher.h"
#include "tests/host/shell_data_object.h"
#include "tests/host/wide_text.h"
#include "tests/support/clipboard.h"
#include "tests/support/install_key.h"
#include "tests/support/save_dialog_user.h"
#include "tests/support/stand_in_editor.h"
#include "tests/support/temp_dir.h"
#include "tests/support/vlpd_dll.h"

namespace vlpd::test {
namespace {

using host::FakeItemArray;
using host::FakeItems;
using host::FindDialog;
using host::InvokeWithOwner;
using host::SeenBox;
using host::ShellDataObject;
using host::ShellItemArray;
using host::ShowCommand;
using host::ShownCommand;
using host::SubCommands;
using host::VirtualItemArray;
using host::Wide;

constexpr UINT kFirstId = 100;

// One submenu position as either menu shows it.
struct Shown {
  bool separator = false;
  std::wstring label;
  std::wstring help;
  bool enabled = false;
  bool operator==(const Shown& o) const {
    return separator == o.separator && label == o.label && help == o.help && enabled == o.enabled;
  }
};

// What one menu showed for a selection, and what its chosen command left behind.
struct Outcome {
  std::wstring caption;  // empty: the menu offers nothing for the selection
  std::vector<Shown> items;
  std::string result;
  bool operator==(const Outcome& o) const {
    return caption == o.caption && items == o.items && result == o.result;
  }
};

// Positions as text, for the table: E enabled, G grayed, S separator.
std::string States(const Outcome& outcome) {
  std::string states;
  for (const Shown& item : outcome.items) states += item.separator ? 'S' : item.enabled ? 'E' : 'G';
  return states;
}

enum class Result { kNone, kCommandLine, kProject, kClipboard };

struct Case {
  const char* name;
  std::vector<std::string> entries;  // code page 932 names in the case folder; empty: a virtual item
  std::vector<std::wstring> wide_entries;
  std::string states;
  int offset;  // the command chosen; -1 for none
  Result result;
  std::string result_holds;  // a part of the classic menu's result
};

std::wstring MenuText(HMENU menu, UINT position, MENUITEMINFOW& info) {
  wchar_t label[128] = {};
  info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
  info.dwTypeData = label;
  info.cch = 128;
  GetMenuItemInfoW(menu, position, TRUE, &info);
  return label;
}

// Pumps this thread's messages until `done` or 60 seconds have passed; the shell's window
// thread does the same while a background thread shows a dialog its window owns.
void PumpUntil(const std::atomic<bool>& done) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done.load() && std::chrono::steady_clock::now() < limit) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

class ExplorerCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dll_.Loaded());
    ASSERT_FALSE(StandInEditor().empty()) << "stand-in editor not built";
    SetEnvironmentVariableA(kQuickStandIn, "1");
    editor_ = temp_.MakeFolder("editor");
    ASSERT_TRUE(CopyFileA(StandInEditor().c_str(), (editor_ + "\\" + kEditorExeName).c_str(), FALSE));
    ASSERT_TRUE(SetInstallFolder(editor_));
    folder_ = temp_.MakeFolder("sel");
    temp_.WriteFile("sel\\\x93\xFA\x8BL.txt", "\xA4\xA2\xA4\xA4");  // 日記.txt, EUC text
    temp_.WriteFile("sel\\p.vpj", "/S .\\a.txt\r\n");
    temp_.WriteFile("sel\\a.txt", "a");
    temp_.WriteFile("sel\\b.txt", "b");
    temp_.WriteFile("sel\\\x8E\x91\x97\xBF\\m.txt", "m");  // 資料\m.txt
    temp_.WriteFile("sel\\\x8E\x91\x97\xBF\\n.txt", "\x82\xA0");
    temp_.WriteFileW(L"sel\\caf\u00e9.txt", "c");
  }
  void TearDown() override {
    WaitForStandInsToQuit();
    SetEnvironmentVariableA(kQuickStandIn, nullptr);
    EXPECT_EQ(dll_.CanUnloadNow(), S_OK) << "an object outlived its test";
  }

  std::vector<std::wstring> Names(const Case& c) const {
    std::vector<std::wstring> names = c.wide_entries;
    for (const std::string& entry : c.entries) names.push_back(Wide(entry));
    return names;
  }
  ComRef<IDataObject> Data(const Case& c) const {
    if (!c.entries.empty() || !c.wide_entries.empty()) return ShellDataObject(Wide(folder_), Names(c));
    // A virtual item's own data object, as the shell makes it for the classic menu.
    ComRef<IShellItemArray> items = VirtualItemArray();
    ComRef<IShellItem> item;
    ComRef<IDataObject> data;
    if (items && SUCCEEDED(items->GetItemAt(0, item.Put()))) {
      item->BindToHandler(nullptr, BHID_SFUIObject, IID_IDataObject, reinterpret_cast<void**>(data.Put()));
    }
    return data;
  }
  ComRef<IShellItemArray> Items(const Case& c) const {
    if (c.entries.empty() && c.wide_entries.empty()) return VirtualItemArray();
    ComRef<IDataObject> data = ShellDataObject(Wide(folder_), Names(c));
    return ShellItemArray(data.Get());
  }

  // Runs `invoke` and collects what the command left: `tag` names the project it saves.
  template <typename Invoke>
  std::string Run(const Case& c, const std::string& tag, Invoke invoke) {
    const std::string log = editor_ + "\\cmdline.txt";
    DeleteFileA(log.c_str());
    PutClipboardText("before");
    if (c.result == Result::kProject) {
      SaveDialogUser user(TypeName(tag));
      EXPECT_EQ(invoke(), S_OK);
      user.Finish();
      EXPECT_TRUE(user.Found());
      return ReadFileBytes(folder_ + "\\" + tag + ".vpj");
    }
    EXPECT_EQ(invoke(), S_OK);
    if (c.result == Result::kCommandLine) return ReadFileBytes(log);
    return ReadClipboardText(CF_TEXT).bytes + ReadClipboardText(CF_UNICODETEXT).bytes;
  }

  Outcome Classic(const Case& c) {
    Outcome outcome;
    ComRef<IDataObject> data = Data(c);
    ComRef<IContextMenu> handler = dll_.CreateHandler();
    ShownMenu shown;
    ShowMenu(handler.Get(), data.Get(), shown, kFirstId);
    MENUITEMINFOW caption;
    const std::wstring caption_label = MenuText(shown.menu, 1, caption);
    if (shown.query_result != MAKE_HRESULT(0, 0, 9) || caption.hSubMenu == nullptr) return outcome;
    outcome.caption = caption_label;
    for (int position = 0; position < GetMenuItemCount(caption.hSubMenu); ++position) {
      MENUITEMINFOW info;
      Shown item;
      item.label = MenuText(caption.hSubMenu, static_cast<UINT>(position), info);
      item.separator = (info.fType & MFT_SEPARATOR) != 0;
      item.enabled = !item.separator && (info.fState & MFS_GRAYED) == 0;
      if (item.separator) item.label.clear();
      wchar_t help[256] = {};
      if (!item.separator) {
        handler->GetCommandString(info.wID - kFirstId, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(help),
                                  256);
      }
      item.help = help;
      outcome.items.push_back(item);
    }
    if (c.offset >= 0) {
      outcome.result = Run(c, "classic", [&] {
        return InvokeOnNewHandler(dll_, data.Get(), MAKEINTRESOURCEA(c.offset), owner_.Get(),
                                  folder_.c_str());
      });
    }
    return outcome;
  }

  Outcome Modern(const Case& c) {
    Outcome outcome;
    ComRef<IShellItemArray> items = Items(c);
    ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
    if (!root) return outcome;
    const ShownCommand shown = ShowCommand(root.Get(), items.Get());
    EXPECT_EQ(shown.flags, static_cast<EXPCMDFLAGS>(ECF_HASSUBCOMMANDS));
    if (shown.state_result != S_OK || shown.state != ECS_ENABLED) return outcome;
    outcome.caption = shown.title;
    std::vector<ComRef<IExplorerCommand>> commands = SubCommands(root.Get());
    IExplorerCommand* chosen = nullptr;
    int offset = 0;
    for (const ComRef<IExplorerCommand>& command : commands) {
      const ShownCommand sub = ShowCommand(command.Get(), items.Get());
      Shown item;
      item.separator = (sub.flags & ECF_ISSEPARATOR) != 0;
      item.label = sub.title;
      item.help = sub.tip;
      item.enabled = !item.separator && sub.state_result == S_OK && sub.state == ECS_ENABLED;
      outcome.items.push_back(item);
      if (!item.separator && offset++ == c.offset) chosen = command.Get();
    }
    if (chosen != nullptr) {
      outcome.result = Run(c, "modern", [&] { return InvokeWithOwner(chosen, items.Get(), owner_.Get()); });
    }
    return outcome;
  }

  ComApartment com_;
  VlpdDll dll_;
  InstallKeyGuard registry_;
  TempDir temp_{"vlpd_two_menus"};
  host::MessageBoxWatcher boxes_;
  HiddenWindow owner_;
  std::string editor_;
  std::string folder_;
};

TEST_F(ExplorerCommandTest, BothMenusShowTheSameItemsAndDoTheSame) {
  const std::string one_file = "\x93\xFA\x8BL.txt";
  const Case cases[] = {
      {"one file",
       {one_file},
       {},
       "ESEEEEEGSESE",
       2,
       Result::kCommandLine,
       "/E \"" + folder_ + "\\" + one_file},
      {"a project file", {"p.vpj"}, {}, "ESGGGGGESESE", 6, Result::kCommandLine, "/P \""},
      {"a folder", {"\x8E\x91\x97\xBF"}, {}, "GSGGGGGGSESE", 7, Result::kProject, "m.txt\r\n"},
      {"several files",
       {"a.txt", "b.txt"},
       {},
       "GSGGGGGGSESE",
       8,
       Result::kClipboard,
       folder_ + "\\a.txt\r\n" + folder_ + "\\b.txt"},
      {"a name outside the code page",
       {},
       {L"caf\u00e9.txt"},
       "ESEEEEEGSESE",
       0,
       Result::kCommandLine,
       "\"" + folder_ + "\\" + ShortAlias(Wide(folder_) + L"\\caf\u00e9.txt") + "\""},
      {"a virtual item", {}, {}, "", -1, Result::kNone, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome classic = Classic(c);
    const Outcome modern = Modern(c);
    EXPECT_EQ(States(classic), c.states);
    EXPECT_EQ(classic.caption.empty(), c.states.empty());
    EXPECT_NE(classic.result.find(c.result_holds), std::string::npos) << classic.result;
    EXPECT_EQ(modern.caption, classic.caption);
    EXPECT_EQ(States(modern), States(classic));
    EXPECT_TRUE(modern.items == classic.items);
    EXPECT_EQ(modern.result, classic.result);
  }
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(ExplorerCommandTest, TheRootNamesTheModulesIcon) {
  ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
  ASSERT_TRUE(root);
  LPWSTR icon = nullptr;
  ASSERT_EQ(root->GetIcon(nullptr, &icon), S_OK);
  EXPECT_EQ(Narrow(icon), dll_.Path() + ",-105");
  CoTaskMemFree(icon);
  GUID name = {};
  EXPECT_EQ(root->GetCanonicalName(&name), S_OK);
  std::vector<GUID> names = {name};
  for (const ComRef<IExplorerCommand>& command : SubCommands(root.Get())) {
    ASSERT_EQ(command->GetCanonicalName(&name), S_OK);
    for (const GUID& other : names) EXPECT_FALSE(IsEqualGUID(name, other)) << "two commands share a name";
    names.push_back(name);
  }
  EXPECT_EQ(names.size(), 13u);
}

// Explorer hands a chosen command to a background thread of its own: the save dialog must still
// come up there, owned by the window of the shell's thread, which goes on pumping meanwhile.
TEST_F(ExplorerCommandTest, InvokedFromAnotherThreadTheSaveDialogAndMessagesStillWork) {
  const Case project = {"a folder", {"\x8E\x91\x97\xBF"}, {}, "", 7, Result::kProject, ""};
  const std::string expected = Modern(project).result;
  ASSERT_FALSE(expected.empty());
  for (const DWORD apartment : {COINIT_APARTMENTTHREADED, COINIT_MULTITHREADED}) {
    SCOPED_TRACE(apartment == COINIT_MULTITHREADED ? "multithreaded apartment" : "single-threaded apartment");
    const std::string tag = apartment == COINIT_MULTITHREADED ? "mta" : "sta";
    HWND owned_by = nullptr;
    SaveDialogPlan plan = TypeName(tag);
    plan.before_ok = [&owned_by] {
      owned_by = GetWindow(FindDialog(text::kProjectDialogTitle, 1000), GW_OWNER);
    };
    SaveDialogUser user(plan);
    std::atomic<bool> done{false};
    HRESULT open = E_FAIL;
    HRESULT create = E_FAIL;
    std::thread background([&] {
      CoInitializeEx(nullptr, apartment);
      {
        ComRef<IShellItemArray> items = Items(project);
        ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
        std::vector<ComRef<IExplorerCommand>> commands = SubCommands(root.Get());
        if (commands.size() == 12) {
          create = InvokeWithOwner(commands[9].Get(), items.Get(), owner_.Get());
          RemoveInstallKey();  // the open command must now say it found no editor
          open = InvokeWithOwner(commands[0].Get(), items.Get(), owner_.Get());
          SetInstallFolder(editor_);
        }
      }
      CoUninitialize();
      done = true;
    });
    PumpUntil(done);
    background.join();
    user.Finish();
    EXPECT_EQ(create, S_OK);
    EXPECT_EQ(open, S_OK);
    EXPECT_EQ(owned_by, owner_.Get());
    EXPECT_EQ(ReadFileBytes(folder_ + "\\" + tag + ".vpj"), expected);
    const std::vector<SeenBox> seen = boxes_.WaitFor(1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, text::kMessageNoInstallFolder);
    boxes_.Clear();
  }
}

// Hostile arrays reach every command, the root included: each answers without harm, hides or
// disables where nothing can be read, and a long array is read to its end.
TEST_F(ExplorerCommandTest, EveryCommandSurvivesHostileItemArrays) {
  FakeItems failing;
  failing.count = 3;
  failing.failing_names = true;
  FakeItems virtual_items;
  virtual_items.count = 2;
  virtual_items.file_system = false;
  FakeItems many;
  many.count = 20000;
  FakeItems foreign;
  foreign.paths = {L"C:\\fake\\caf\u00e9.txt"};
  const struct {
    const char* name;
    ComRef<IShellItemArray> items;
    EXPCMDSTATE root_state;
    std::size_t clipboard_lines;  // after the copy command; 0: the clipboard is left alone
    bool pending;                 // without the disk the state cannot be told
  } arrays[] = {
      {"no array", {}, ECS_HIDDEN, 0, false},
      {"empty", FakeItemArray({}), ECS_HIDDEN, 0, false},
      {"failing names", FakeItemArray(failing), ECS_HIDDEN, 0, false},
      {"no file-system item", FakeItemArray(virtual_items), ECS_HIDDEN, 0, false},
      {"a name outside the code page that no file has", FakeItemArray(foreign), ECS_HIDDEN, 0, true},
      {"20,000 items that no disk holds", FakeItemArray(many), ECS_ENABLED, 20000, false},
  };
  RemoveInstallKey();
  ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
  ASSERT_TRUE(root);
  std::vector<ComRef<IExplorerCommand>> commands = SubCommands(root.Get());
  ASSERT_EQ(commands.size(), 12u);
  for (const auto& array : arrays) {
    SCOPED_TRACE(array.name);
    EXPCMDSTATE quick = 0;
    EXPECT_EQ(root->GetState(array.items.Get(), FALSE, &quick), array.pending ? E_PENDING : S_OK);
    const ShownCommand shown = ShowCommand(root.Get(), array.items.Get());
    EXPECT_EQ(shown.state, array.root_state);
    EXPECT_EQ(root->Invoke(array.items.Get(), nullptr), E_NOTIMPL);
    PutClipboardText("before");
    for (std::size_t position = 0; position < commands.size(); ++position) {
      SCOPED_TRACE(position);
      IExplorerCommand* command = commands[position].Get();
      const ShownCommand sub = ShowCommand(command, array.items.Get());
      const bool separator = (sub.flags & ECF_ISSEPARATOR) != 0;
      EXPECT_EQ(sub.state_result, S_OK);
      if (!separator && array.root_state == ECS_HIDDEN) {
        EXPECT_EQ(sub.state, ECS_DISABLED);
      }
      // The create command's dialog, where there is a selection, is cancelled; the open commands
      // find no editor.
      const bool dialog = position == 9 && array.clipboard_lines > 0;
      std::unique_ptr<SaveDialogUser> user;
      if (dialog) user = std::make_unique<SaveDialogUser>(SaveDialogPlan{});
      EXPECT_EQ(InvokeWithOwner(command, array.items.Get(), owner_.Get()), separator     ? E_NOTIMPL
                                                                           : array.items ? S_OK
                                                                                         : E_INVALIDARG);
      if (user) user->Finish();
    }
    const std::string copied = ReadClipboardText(CF_TEXT).bytes;
    if (array.clipboard_lines == 0) {
      EXPECT_EQ(copied.substr(0, 6), "before");
    } else {
      EXPECT_EQ(static_cast<std::size_t>(std::count(copied.begin(), copied.end(), '\n')) + 1,
                array.clipboard_lines);
    }
    boxes_.Clear();
  }
}

}  // namespace
}  // namespace vlpd::test
