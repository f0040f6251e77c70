// Both Explorers against the built DLL through COM: the classic menu (a data object,
// QueryContextMenu, InvokeCommand) and the Windows 11 menu (a shell item array, the command tree,
// Invoke on a background thread, as Explorer calls it) must show the same items, texts and states
// for the same selections, and each command must leave the same command line, project file,
// clipboard or message, run in a single-threaded apartment. Then the Windows 11 menu alone: on
// hostile item arrays, its enumerator's contract, and asked from two threads at once.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "commands/handler_text.h"
#include "commands/settings.h"
#include "explorer_command/explorer_command.h"
#include "fixtures/command_rows.h"
#include "host/explorer_host.h"
#include "host/menu_reader.h"
#include "host/message_box_watcher.h"
#include "host/save_dialog_user.h"
#include "host/shell_data_object.h"
#include "host/vlpd_dll.h"
#include "host/wide_text.h"
#include "project/project_text.h"
#include "tests/support/clipboard.h"
#include "tests/support/install_key.h"
#include "tests/support/settings_values.h"
#include "tests/support/stand_in_editor.h"
#include "tests/support/temp_dir.h"
#include "win/module_state.h"

// Low memory for the commands linked into this program: once `g_allocations_left` is counted down
// to 0, every allocation that may fail fails (-1: no limit).
std::atomic<int> g_allocations_left{-1};
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  for (int left = g_allocations_left.load(); left >= 0; left = g_allocations_left.load()) {
    if (left == 0) return nullptr;
    if (g_allocations_left.compare_exchange_weak(left, left - 1)) break;
  }
  return std::malloc(size == 0 ? 1 : size);
}

namespace vlpd::test {
namespace {

constexpr UINT kFirstId = 100;
constexpr int kCreateProject = OffsetOf(CommandAction::kCreateProject);
constexpr std::size_t kSubCommands = kSubmenu.size();
constexpr std::size_t kOpenPosition = PositionOf(OffsetOfSwitch(""));
constexpr std::size_t kCopyNamesPosition = PositionOf(OffsetOf(CommandAction::kCopyNames));

// States by position (E enabled, G disabled or hidden, S separator); no name disables every command.
const std::string kFile = SubmenuStates(SelectionKind::kSingleFile);
const std::string kProject = SubmenuStates(SelectionKind::kSingleProject);
const std::string kSeveral = SubmenuStates(SelectionKind::kSeveral);
const std::string kNoName = SubmenuStates(std::nullopt);

// What one menu showed for a selection and what its chosen command left behind. Each position
// reads "label | help", its state E (enabled), G (grayed) or S (separator).
struct Outcome {
  std::wstring caption;  // empty: the menu offers nothing
  std::vector<std::wstring> texts;
  std::string states;
  std::string result;
};

enum class Result { kNone, kCommandLine, kProject, kClipboard, kNoEditorMessage };

struct Case {
  const char* name;
  std::vector<std::wstring> entries;  // of the case folder; none: a virtual item
  std::string states;
  unsigned offset;  // the command chosen; kCommandCount for none
  Result result;
  std::string result_holds;  // a part of the classic menu's result
  std::vector<SettingValue> settings = {};
};

// Runs `work` on a background thread of the multithreaded apartment, as Explorer invokes a chosen
// command, while this thread, the shell's window thread, goes on pumping messages (at most a
// minute) for the dialogs that its window owns and the calls into its apartment, and runs
// `between` each time it wakes.
template <typename Work, typename Between = void (*)()>
void OnExplorersBackgroundThread(
    Work work, Between between = [] {}) {
  std::atomic<bool> done{false};
  std::thread background([&] {
    {
      const ComApartment apartment(COINIT_MULTITHREADED);
      work();
    }
    done = true;
  });
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done.load() && std::chrono::steady_clock::now() < limit) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    between();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  background.join();
}

// Cancels the dialog titled `title` whenever this thread shows one, while it lives: a command that
// shows it where it should not fails its case at once instead of waiting for a user who never comes.
class UnexpectedDialogGuard {
 public:
  explicit UnexpectedDialogGuard(std::string title)
      : title_(std::move(title)), shell_thread_(GetCurrentThreadId()), watcher_([this] { Watch(); }) {}
  ~UnexpectedDialogGuard() {
    done_ = true;
    watcher_.join();
  }
  UnexpectedDialogGuard(const UnexpectedDialogGuard&) = delete;
  UnexpectedDialogGuard& operator=(const UnexpectedDialogGuard&) = delete;
  bool Seen() const { return seen_; }

 private:
  void Watch() {
    while (!done_) {
      if (FindDialog(title_, 1) == nullptr) continue;
      seen_ = true;
      CancelDialogsOf(shell_thread_);
    }
  }

  std::string title_;
  DWORD shell_thread_;
  std::atomic<bool> done_{false};
  std::atomic<bool> seen_{false};
  std::thread watcher_;
};

class ExplorerCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dll_.Loaded());
    ASSERT_FALSE(StandInEditor().empty()) << "stand-in editor not built";
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
    EXPECT_EQ(dll_.CanUnloadNow(), S_OK) << "an object outlived its test";
  }

  ComRef<IDataObject> Data(const Case& c) const {
    if (!c.entries.empty()) return ShellDataObject(Wide(folder_), c.entries);
    // A virtual item's own data object, as the shell makes it for the classic menu.
    ComRef<IShellItem> item;
    ComRef<IDataObject> data;
    if (ComRef<IShellItemArray> items = VirtualItemArray();
        items && SUCCEEDED(items->GetItemAt(0, item.Put()))) {
      item->BindToHandler(nullptr, BHID_SFUIObject, IID_IDataObject, reinterpret_cast<void**>(data.Put()));
    }
    return data;
  }
  ComRef<IShellItemArray> Items(const Case& c) const {
    if (c.entries.empty()) return VirtualItemArray();
    return ShellItemArray(ShellDataObject(Wide(folder_), c.entries).Get());
  }

  // Runs `invoke` and collects what the command left; `tag` names the project it saves, whose
  // dialog must be owned by the shell's window.
  template <typename Invoke>
  std::string Run(const Case& c, const std::string& tag, Invoke invoke) {
    const std::string log = editor_ + "\\cmdline.txt";
    DeleteFileA(log.c_str());
    PutClipboardText("before");
    if (c.result == Result::kNoEditorMessage) RemoveInstallKey();
    HWND owned_by = nullptr;
    SaveDialogPlan plan = TypeName(tag);
    plan.before_ok = [&owned_by](HWND dialog) { owned_by = GetWindow(dialog, GW_OWNER); };
    std::optional<SaveDialogUser> user;
    if (c.result == Result::kProject) user.emplace(plan);
    EXPECT_EQ(invoke(), S_OK);
    SetInstallFolder(editor_);
    if (user) user->Finish();
    if (c.result == Result::kProject) {
      EXPECT_EQ(owned_by, owner_.Get()) << tag;
      return ReadFileBytes(folder_ + "\\" + tag + ".vpj");
    }
    if (c.result == Result::kCommandLine) {
      WaitForStandInsToQuit();
      return ReadFileBytes(log);
    }
    if (c.result == Result::kNoEditorMessage) {
      const std::vector<SeenBox> seen = boxes_.Take();
      if (seen.size() != 1) return "boxes: " + std::to_string(seen.size());
      return seen[0].text +
             (seen[0].single_threaded_apartment ? "" : " (outside a single-threaded apartment)");
    }
    return ReadClipboardText(CF_TEXT).bytes + ReadClipboardText(CF_UNICODETEXT).bytes;
  }

  Outcome Classic(const Case& c) {
    Outcome outcome;
    ComRef<IDataObject> data = Data(c);
    ComRef<IContextMenu> handler = dll_.CreateHandler();
    ShownMenu shown;
    ShowMenu(handler.Get(), data.Get(), shown, kFirstId);
    const std::vector<ReadItem> top = ReadMenu(shown.menu.Get());
    if (top.size() < 2 || top[1].submenu == nullptr) return outcome;
    outcome.caption = Wide(top[1].label);
    for (const ReadItem& item : ReadMenu(top[1].submenu)) {
      wchar_t help[256] = {};
      if (!item.separator) {
        handler->GetCommandString(item.id - kFirstId, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(help),
                                  256);
      }
      outcome.texts.push_back(item.separator ? L" | " : Wide(item.label) + L" | " + help);
      outcome.states += item.separator ? 'S' : item.grayed ? 'G' : 'E';
    }
    if (c.offset < kCommandCount) {
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
    const ShownCommand shown = ShowCommand(root.Get(), items.Get());
    EXPECT_EQ(shown.flags, static_cast<EXPCMDFLAGS>(ECF_HASSUBCOMMANDS));
    if (shown.state_result != S_OK || shown.state != ECS_ENABLED) return outcome;
    outcome.caption = shown.title;
    // The command is found by its title: hidden commands leave gaps in the offsets.
    const std::wstring chosen_title = c.offset < kCommandCount ? Wide(kCommands[c.offset].label) : L"";
    std::size_t chosen = kSubCommands;
    const std::vector<ComRef<IExplorerCommand>> commands = SubCommands(root.Get());
    for (std::size_t position = 0; position < commands.size(); ++position) {
      const ShownCommand sub = ShowCommand(commands[position].Get(), items.Get());
      const bool separator = (sub.flags & ECF_ISSEPARATOR) != 0;
      outcome.texts.push_back(sub.title + L" | " + sub.tip);
      outcome.states += separator ? 'S' : sub.state_result == S_OK && sub.state == ECS_ENABLED ? 'E' : 'G';
      if (!separator && sub.title == chosen_title) chosen = position;
    }
    if (chosen == kSubCommands) return outcome;
    // The background thread makes its own command tree and item array, as Explorer's does.
    outcome.result = Run(c, "modern", [&] {
      HRESULT hr = E_FAIL;
      OnExplorersBackgroundThread([&] {
        const std::vector<ComRef<IExplorerCommand>> own = SubCommands(dll_.CreateExplorerCommand().Get());
        if (own.size() == commands.size())
          hr = InvokeWithOwner(own[chosen].Get(), Items(c).Get(), owner_.Get());
      });
      return hr;
    });
    return outcome;
  }

  ComApartment com_;
  VlpdDll dll_;
  InstallKeyGuard registry_;
  SettingsGuard settings_;
  TempDir temp_{"vlpd_two_menus"};
  MessageBoxWatcher boxes_;
  const WindowHandle owner_ = HiddenWindow();
  std::string editor_;
  std::string folder_;
};

TEST_F(ExplorerCommandTest, BothMenusShowTheSameItemsAndDoTheSame) {
  const std::string diary = "\x93\xFA\x8BL.txt";  // 日記.txt
  const std::wstring cafe = L"caf\u00e9.txt";
  const std::string in = folder_ + "\\";
  const std::string quoted_alias = "\"" + in + ShortAlias(Wide(in) + cafe) + "\"";
  const unsigned copy = OffsetOf(CommandAction::kCopyNames);
  const Case cases[] = {
      {"one file", {Wide(diary)}, kFile, OffsetOfSwitch("/E "), Result::kCommandLine, "/E \"" + in + diary},
      {"a project file", {L"p.vpj"}, kProject, OffsetOfSwitch("/P "), Result::kCommandLine, "/P \""},
      {"a folder", {Wide("\x8E\x91\x97\xBF")}, kSeveral, kCreateProject, Result::kProject, "m.txt\r\n"},
      {"two files", {L"a.txt", L"b.txt"}, kSeveral, copy, Result::kClipboard, in + "a.txt\r\n" + in + "b"},
      {"a name outside the code page", {cafe}, kFile, OffsetOfSwitch(""), Result::kCommandLine, quoted_alias},
      {"no editor installed",
       {L"a.txt"},
       kFile,
       OffsetOfSwitch("/U8 "),
       Result::kNoEditorMessage,
       text::kMessageNoInstallFolder},
      {"a virtual item", {}, "", kCommandCount, Result::kNone, ""},
      // The settings: hidden commands leave their offsets and the separators beside them.
      {"the encodings hidden",
       {Wide(diary)},
       SubmenuStates(SelectionKind::kSingleFile, 0x3E),
       OffsetOfSwitch(""),
       Result::kCommandLine,
       "\"" + in + diary,
       {{false, "HiddenCommands", 0x3E}}},
      {"open and .vpj hidden by policy over the user's every command: no separator first",
       {Wide(diary)},
       SubmenuStates(SelectionKind::kSingleFile, 0x41),
       OffsetOfSwitch("/E "),
       Result::kCommandLine,
       "/E \"" + in + diary,
       {{true, "HiddenCommands", 0x41}, {false, "HiddenCommands", kEveryCommandHidden}}},
      {"two separators meet: one stands",
       {L"p.vpj"},
       SubmenuStates(SelectionKind::kSingleProject, 0xBE),
       OffsetOfSwitch("/P "),
       Result::kCommandLine,
       "/P \"",
       {{false, "HiddenCommands", 0xBE}}},
      {"the copy alone",
       {L"a.txt", L"b.txt"},
       "E",
       copy,
       Result::kClipboard,
       in + "a.txt\r\n",
       {{false, "HiddenCommands", kEveryCommandHidden & ~(1u << copy)}}},
      {"every command hidden",
       {L"a.txt"},
       "",
       kCommandCount,
       Result::kNone,
       "",
       {{false, "HiddenCommands", kEveryCommandHidden}}},
      {"quoted names",
       {L"a.txt", L"b.txt"},
       kSeveral,
       copy,
       Result::kClipboard,
       "\"" + in + "a.txt\"\r\n\"" + in + "b.txt\"",
       {{false, "QuotedNames", 1}}},
      {"wrong types and values out of range are ignored",
       {L"a.txt", L"b.txt"},
       kSeveral,
       copy,
       Result::kClipboard,
       in + "a.txt\r\n" + in + "b",
       {{false, "HiddenCommands", 0x1FF, REG_SZ},
        {true, "HiddenCommands", kEveryCommandHidden + 1},
        {false, "ShiftOnly", 1, REG_BINARY},
        {true, "QuotedNames", 2},
        {false, "QuotedNames", 1, REG_QWORD}}},
      {"Shift only: not on a plain right-click",
       {L"a.txt"},
       "",
       kCommandCount,
       Result::kNone,
       "",
       {{false, "ShiftOnly", 1}}},
      {"the administrator's Shift only off over the user's on",
       {L"a.txt"},
       kFile,
       kCommandCount,
       Result::kNone,
       "",
       {{true, "ShiftOnly", 0}, {false, "ShiftOnly", 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(settings_.Set(c.settings));
    const Outcome classic = Classic(c);
    const Outcome modern = Modern(c);
    EXPECT_EQ(classic.states, c.states);
    EXPECT_EQ(classic.caption.empty(), c.states.empty());
    EXPECT_NE(classic.result.find(c.result_holds), std::string::npos) << classic.result;
    EXPECT_EQ(modern.caption, classic.caption);
    EXPECT_EQ(modern.states, classic.states);
    EXPECT_TRUE(modern.texts == classic.texts);
    EXPECT_EQ(modern.result, classic.result);
  }
  EXPECT_TRUE(boxes_.Seen().empty());
}

// The root names the module's icon, and each command its own name. Hostile arrays reach every
// command, the root included, invoked in place on the shell's own thread: each answers without
// harm, hides or disables where nothing can be read, never asks the disk in a quick state, reads a
// long array to its end, and keeps the same items for its state as for its action.
TEST_F(ExplorerCommandTest, EveryCommandSurvivesHostileItemArrays) {
  const struct {
    const char* name;
    ComRef<IShellItemArray> items;
    bool pending;                 // a quick state cannot be told without the disk
    std::string states;           // the root is hidden where no name is kept
    std::size_t clipboard_lines;  // after the copy command; 0: the clipboard is left alone
  } arrays[] = {
      {"no array", {}, false, kNoName, 0},
      {"empty", FakeItemArray({}), false, kNoName, 0},
      // Shapes: paths, count, prefix of made-up names, in the file system, failing names, and how
      // many items come first that name a path outside the file system; more attributes.
      {"failing names", FakeItemArray({{}, 3, L"C:\\fake\\item", true, true}), false, kNoName, 0},
      {"no file-system item", FakeItemArray({{}, 2, L"C:\\fake\\item", false}), false, kNoName, 0},
      {"a name outside the code page that no file has", FakeItemArray({{L"C:\\fake\\caf\u00e9.txt"}}), true,
       kNoName, 0},
      {"20,000 items that no disk holds", FakeItemArray({{}, 20000}), false, kSeveral, 20000},
      {"a project file outside the file system before a text file",
       FakeItemArray({{L"C:\\fake\\outside.vpj", L"C:\\fake\\inside.txt"}, 0, L"", true, false, 1}), false,
       kFile, 1},
      {"a compressed folder, a file to the classic menu",
       FakeItemArray({{L"C:\\fake\\archive.zip"}, 0, L"", true, false, 0, SFGAO_FOLDER}), false, kFile, 1},
  };
  RemoveInstallKey();  // the open commands find no editor
  ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
  std::vector<ComRef<IExplorerCommand>> commands = SubCommands(root.Get());
  ASSERT_EQ(commands.size(), kSubCommands);
  TaskString icon;
  ASSERT_EQ(root->GetIcon(nullptr, icon.Put()), S_OK);
  EXPECT_EQ(Narrow(icon.Get()), dll_.Path() + ",-105");
  std::vector<GUID> names(kSubCommands + 1);  // the root's, then each command's: no two alike
  EXPECT_EQ(root->GetCanonicalName(&names[0]), S_OK);
  for (std::size_t i = 0; i < kSubCommands; ++i) {
    EXPECT_EQ(commands[i]->GetCanonicalName(&names[i + 1]), S_OK);
    EXPECT_EQ(std::memcmp(&names[i + 1], &kSubmenu[i].name, sizeof(GUID)), 0) << i;  // its row's name
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(IsEqualGUID(names[i], names[j])) << i << " " << j;
  }
  for (const auto& array : arrays) {
    SCOPED_TRACE(array.name);
    EXPCMDSTATE quick = 0;
    EXPECT_EQ(root->GetState(array.items.Get(), FALSE, &quick), array.pending ? E_PENDING : S_OK);
    const bool shown = array.states != kNoName;
    EXPECT_EQ(ShowCommand(root.Get(), array.items.Get()).state, shown ? ECS_ENABLED : ECS_HIDDEN);
    EXPECT_EQ(root->Invoke(array.items.Get(), nullptr), E_NOTIMPL);
    PutClipboardText("before");
    std::string states;
    for (std::size_t position = 0; position < commands.size(); ++position) {
      SCOPED_TRACE(position);
      const ShownCommand sub = ShowCommand(commands[position].Get(), array.items.Get());
      const bool separator = (sub.flags & ECF_ISSEPARATOR) != 0;
      EXPECT_EQ(sub.state_result, S_OK);
      states += separator ? 'S' : sub.state == ECS_ENABLED ? 'E' : 'G';
      // The save dialog, which comes up only for a selection, is cancelled; one that comes up
      // without a selection is cancelled too, and fails the case.
      std::optional<SaveDialogUser> user;
      std::optional<UnexpectedDialogGuard> guard;
      if (kSubmenu[position].offset == kCreateProject && array.clipboard_lines > 0)
        user.emplace(SaveDialogPlan{});
      if (kSubmenu[position].offset == kCreateProject && array.clipboard_lines == 0)
        guard.emplace(text::kProjectDialogTitle);
      EXPECT_EQ(InvokeWithOwner(commands[position].Get(), array.items.Get(), owner_.Get()),
                separator     ? E_NOTIMPL
                : array.items ? S_OK
                              : E_INVALIDARG);
      EXPECT_FALSE(guard && guard->Seen()) << "a save dialog without a selection";
      // An open command's box (no editor) shows where the command ran: anywhere but in this
      // single-threaded apartment, the save dialog it owns would wait for this thread, which waits
      // for the command, until ctest gives up.
      for (const SeenBox& box : boxes_.Take()) ASSERT_TRUE(box.single_threaded_apartment) << "stopped here";
    }
    EXPECT_EQ(states, array.states);
    const std::string copied = ReadClipboardText(CF_TEXT).bytes;
    const auto lines = static_cast<std::size_t>(std::count(copied.begin(), copied.end(), '\n')) + 1;
    EXPECT_TRUE(array.clipboard_lines == 0 ? copied.rfind("before", 0) == 0 : lines == array.clipboard_lines)
        << copied.substr(0, 80);
    boxes_.Clear();
  }
}

// The enumerator as IEnumExplorerCommand lets it be called: a null count for any number asked, a
// clone that goes on where its original stands, and S_FALSE whenever fewer are handed out than
// asked for.
// A drive's root follows FolderBackground as in the classic menu; a folder on it does not.
TEST_F(ExplorerCommandTest, ADriveFollowsFolderBackground) {
  ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
  for (bool shown : {true, false}) {
    ASSERT_TRUE(settings_.Set(shown ? std::vector<SettingValue>{}
                                    : std::vector<SettingValue>{{false, "FolderBackground", 0}}));
    EXPECT_EQ(ShowCommand(root.Get(), FakeItemArray({{L"C:\\"}}).Get()).state,
              shown ? ECS_ENABLED : ECS_HIDDEN);
    EXPECT_EQ(ShowCommand(root.Get(), FakeItemArray({{L"C:\\windows"}}).Get()).state, ECS_ENABLED);
  }
}

TEST_F(ExplorerCommandTest, TheEnumeratorKeepsItsContract) {
  const struct {
    const char* name;
    ULONG skip;  // before the call
    bool clone;  // the call goes to a clone made after the skip
    ULONG asked;
    bool counted;  // the caller asks for the count
    HRESULT result;
    ULONG handed;  // commands handed out, from position `skip` on
  } calls[] = {
      {"all of them without a count", 0, false, kSubCommands, false, S_OK, kSubCommands},
      {"more than there are", 0, false, kSubCommands + 8, true, S_FALSE, kSubCommands},
      {"more than are left, without a count", kSubCommands - 2, false, 5, false, S_FALSE, 2},
      {"a clone goes on where its original stands", 3, true, 2, true, S_OK, 2},
      {"past the end", kSubCommands, false, 1, true, S_FALSE, 0},
      {"skipped past the end", kSubCommands + 3, false, 1, true, S_FALSE, 0},
  };
  ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
  std::vector<GUID> names;
  for (const ComRef<IExplorerCommand>& command : SubCommands(root.Get())) {
    names.emplace_back();
    command->GetCanonicalName(&names.back());
  }
  ASSERT_EQ(names.size(), kSubCommands);
  for (const auto& call : calls) {
    SCOPED_TRACE(call.name);
    ComRef<IEnumExplorerCommand> enumerator;
    ASSERT_EQ(root->EnumSubCommands(enumerator.Put()), S_OK);
    EXPECT_EQ(enumerator->Skip(call.skip), call.skip <= kSubCommands ? S_OK : S_FALSE);
    if (call.clone) {
      ComRef<IEnumExplorerCommand> copy;
      ASSERT_EQ(enumerator->Clone(copy.Put()), S_OK);
      enumerator = std::move(copy);
    }
    IExplorerCommand* batch[kSubCommands + 8] = {};
    ULONG fetched = 99;
    EXPECT_EQ(enumerator->Next(call.asked, batch, call.counted ? &fetched : nullptr), call.result);
    EXPECT_EQ(call.counted ? fetched : call.handed, call.handed);
    for (ULONG i = 0; i < std::size(batch); ++i) {
      const ComRef<IExplorerCommand> command = ComRef<IExplorerCommand>::Adopt(batch[i]);
      ASSERT_EQ(static_cast<bool>(command), i < call.handed) << i;
      GUID name = {};
      EXPECT_TRUE(!command ||
                  (SUCCEEDED(command->GetCanonicalName(&name)) && IsEqualGUID(name, names[call.skip + i])))
          << i;
    }
  }
}

// A call of Next that runs out of memory part way hands nothing out and keeps nothing: every
// command it made before is gone again.
TEST_F(ExplorerCommandTest, NextOutOfMemoryKeepsNothing) {
  const LONG before = ObjectCount();
  ComRef<IExplorerCommand> root;
  ASSERT_EQ(QueryNewObject(new CVLPDCommand(), IID_IExplorerCommand, reinterpret_cast<void**>(root.Put())),
            S_OK);
  ComRef<IEnumExplorerCommand> enumerator;
  ASSERT_EQ(root->EnumSubCommands(enumerator.Put()), S_OK);
  IExplorerCommand* batch[5] = {};
  ULONG fetched = 99;
  g_allocations_left = 2;
  const HRESULT hr = enumerator->Next(5, batch, &fetched);
  g_allocations_left = -1;
  EXPECT_EQ(hr, E_OUTOFMEMORY);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(ObjectCount(), before + 2) << "the root, its enumerator and nothing else";
}

// Explorer asks the root and a subcommand for their states from two threads at once, and asks
// again on another thread after E_PENDING: each answer is its own array's, and no reference to an
// array is kept, lost or released twice.
TEST_F(ExplorerCommandTest, StatesAskedFromTwoThreadsAtOnce) {
  constexpr int kRounds = 20000;
  ReferenceLedger ledger;
  ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
  const std::vector<ComRef<IExplorerCommand>> commands = SubCommands(root.Get());
  ASSERT_EQ(commands.size(), kSubCommands);
  // Per thread: the asker, and its answers for a text file, two files and, now and then, a name
  // only the disk can tell.
  const struct {
    IExplorerCommand* asker;
    EXPCMDSTATE answers[3];
  } threads[2] = {{root.Get(), {ECS_ENABLED, ECS_ENABLED, ECS_HIDDEN}},
                  {commands[kOpenPosition].Get(), {ECS_ENABLED, ECS_DISABLED, ECS_DISABLED}}};
  std::atomic<int> ready{0};
  std::atomic<int> wrong{0};
  std::vector<std::thread> running;
  for (const auto& thread : threads) {
    running.emplace_back([&] {
      const ComApartment com(COINIT_MULTITHREADED);
      {
        const ComRef<IShellItemArray> arrays[3] = {FakeItemArray({{L"C:\\fake\\one.txt"}}, &ledger),
                                                   FakeItemArray({{}, 2}, &ledger),
                                                   FakeItemArray({{L"C:\\fake\\caf\u00e9.txt"}}, &ledger)};
        for (ready.fetch_add(1); ready.load() < 2;) Sleep(0);
        for (int round = 0; round < kRounds; ++round) {
          const int which = round % 64 == 63 ? 2 : round % 2;
          IShellItemArray* items = arrays[which].Get();
          EXPCMDSTATE state = 0;
          HRESULT hr = thread.asker->GetState(items, FALSE, &state);
          if (hr == E_PENDING) hr = thread.asker->GetState(items, TRUE, &state);
          if (hr != S_OK || state != thread.answers[which]) wrong.fetch_add(1);
        }
      }
    });
  }
  for (std::thread& thread : running) thread.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(ledger.ExtraReleases(), 0);
  EXPECT_EQ(ledger.Held(), 0) << "references to the arrays kept by the commands";
}

// The shell may clear a command's site on one thread while another invokes the command, and
// invokes from a thread of the multithreaded apartment a command whose site lives in the window
// thread's single-threaded one. Invoke reaches the site only through a reference of its own that
// works in its own apartment; subcommands without a site use the root's, which the shell clears.
TEST_F(ExplorerCommandTest, InvokeBesideSetSiteNull) {
  ReferenceLedger ledger;  // outlives every reference below
  ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
  const std::vector<ComRef<IExplorerCommand>> commands = SubCommands(root.Get());
  ASSERT_EQ(commands.size(), kSubCommands);
  ComRef<IObjectWithSite> root_site;
  ComRef<IObjectWithSite> own_site;
  ASSERT_EQ(root->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(root_site.Put())), S_OK);
  ASSERT_EQ(commands[kCopyNamesPosition]->QueryInterface(IID_IObjectWithSite,
                                                         reinterpret_cast<void**>(own_site.Put())),
            S_OK);
  const ComRef<IShellItemArray> nothing = FakeItemArray({});  // Invoke reads the site, then nothing

  // SetSite(nullptr) lands just as Invoke calls into the site, set on the subcommand or on the root.
  for (IObjectWithSite* holder : {own_site.Get(), root_site.Get()}) {
    holder->SetSite(ApartmentSite(owner_.Get(), ledger, [&] {
                      own_site->SetSite(nullptr);
                      root_site->SetSite(nullptr);
                    }).Get());
    EXPECT_EQ(commands[kCopyNamesPosition]->Invoke(nothing.Get(), nullptr), S_OK);
  }
  ASSERT_EQ(ledger.CallsIntoReleased(), 0);

  // This thread sets and clears the root's site while a thread of the multithreaded apartment asks
  // for it and invokes.
  ComRef<IUnknown> site = ApartmentSite(owner_.Get(), ledger);
  root_site->SetSite(site.Get());
  std::atomic<bool> invoking{false};
  HWND seen_owner = nullptr;
  bool toggle = false;
  OnExplorersBackgroundThread(
      [&] {
        ComRef<IOleWindow> window;
        if (SUCCEEDED(root_site->GetSite(IID_IOleWindow, reinterpret_cast<void**>(window.Put())))) {
          window->GetWindow(&seen_owner);
        }
        window.Reset();
        invoking = true;
        for (int round = 0; round < 200; ++round)
          commands[kCopyNamesPosition]->Invoke(nothing.Get(), nullptr);
      },
      [&] {
        if (invoking) root_site->SetSite((toggle = !toggle) ? nullptr : site.Get());
      });
  EXPECT_EQ(seen_owner, owner_.Get());
  // Subcommands and an enumerator made while the root has the site keep no hold on it.
  root_site->SetSite(site.Get());
  ComRef<IEnumExplorerCommand> enumerator;
  ASSERT_EQ(root->EnumSubCommands(enumerator.Put()), S_OK);
  const std::vector<ComRef<IExplorerCommand>> later = SubCommands(root.Get());
  root_site->SetSite(nullptr);
  own_site->SetSite(nullptr);
  void* asked = &asked;
  EXPECT_EQ(root_site->GetSite(IID_IUnknown, &asked), E_FAIL);
  EXPECT_EQ(asked, nullptr);
  site.Reset();
  EXPECT_EQ(ledger.CallsFromOtherThreads(), 0);
  EXPECT_EQ(ledger.CallsIntoReleased(), 0);
  EXPECT_EQ(ledger.Held(), 0) << "the site is still held";
}

// A site that cannot be marshalled, so the global interface table refuses it. Its test keeps it
// and reads its count at the end: one reference, the test's own.
class UnmarshallableSite final : public IMarshal {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    *out = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMarshal) ? this : nullptr;
    if (*out == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references_); }
  long References() const { return references_; }
  STDMETHODIMP GetUnmarshalClass(REFIID, void*, DWORD, void*, DWORD, CLSID*) override { return E_FAIL; }
  STDMETHODIMP GetMarshalSizeMax(REFIID, void*, DWORD, void*, DWORD, DWORD*) override { return E_FAIL; }
  STDMETHODIMP MarshalInterface(IStream*, REFIID, void*, DWORD, void*, DWORD) override { return E_FAIL; }
  STDMETHODIMP UnmarshalInterface(IStream*, REFIID, void**) override { return E_FAIL; }
  STDMETHODIMP ReleaseMarshalData(IStream*) override { return E_FAIL; }
  STDMETHODIMP DisconnectObject(DWORD) override { return E_FAIL; }

 private:
  std::atomic<long> references_{1};
};

// What GetSite answers: the site set, or E_FAIL with a null pointer.
HRESULT AskedSite(IObjectWithSite* holder, IUnknown* expected) {
  IUnknown* got = reinterpret_cast<IUnknown*>(&got);
  const HRESULT hr = holder->GetSite(IID_IUnknown, reinterpret_cast<void**>(&got));
  const ComRef<IUnknown> held = ComRef<IUnknown>::Adopt(SUCCEEDED(hr) ? got : nullptr);
  if (hr == S_OK) return got == expected ? S_OK : E_UNEXPECTED;
  return got == nullptr ? hr : E_UNEXPECTED;
}

// A site the global interface table refuses is the setter's thread's alone: another thread gets
// none rather than a pointer it may not call.
TEST_F(ExplorerCommandTest, ASiteThatCannotBeSharedStaysWithItsThread) {
  ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
  ComRef<IObjectWithSite> holder;
  ASSERT_EQ(root->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(holder.Put())), S_OK);
  UnmarshallableSite site;
  ASSERT_EQ(holder->SetSite(&site), S_OK);
  EXPECT_EQ(AskedSite(holder.Get(), &site), S_OK);
  HRESULT elsewhere = S_OK;
  std::thread([&] {
    const ComApartment apartment(COINIT_MULTITHREADED);
    elsewhere = AskedSite(holder.Get(), &site);
  }).join();
  EXPECT_EQ(elsewhere, E_FAIL);
  holder->SetSite(nullptr);
  EXPECT_EQ(site.References(), 1);
}

// Two threads set their own sites (and now and then none), over and over, while a third reads the site
// until it has seen it change many times: every answer is one of the two sites or none, and no
// site is held or released once too often afterwards.
TEST_F(ExplorerCommandTest, SitesSetAndReadFromThreeThreadsAtOnce) {
  constexpr long kChanges = 100;
  constexpr long kReadsAtMost = 50000000;  // a bound far beyond need, not a time
  ReferenceLedger ledger;
  ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
  ComRef<IObjectWithSite> holder;
  ASSERT_EQ(root->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(holder.Put())), S_OK);
  ComRef<IShellItemArray> sites[2] = {FakeItemArray({}, &ledger), FakeItemArray({}, &ledger)};
  std::atomic<int> setting{0};
  std::atomic<bool> done{false};
  long changes = 0;
  long wrong = 0;
  std::vector<std::thread> running;
  for (const ComRef<IShellItemArray>& site : sites) {
    running.emplace_back([&] {
      const ComApartment apartment(COINIT_MULTITHREADED);
      for (long round = setting.fetch_add(1); !done; ++round)
        holder->SetSite(round % 8 == 7 ? nullptr : site.Get());
    });
  }
  running.emplace_back([&] {
    const ComApartment apartment(COINIT_MULTITHREADED);
    while (setting.load() < 2) Sleep(0);
    IUnknown* seen = nullptr;
    for (long read = 0; read < kReadsAtMost && changes < kChanges; ++read) {
      IUnknown* got = nullptr;
      const HRESULT hr = holder->GetSite(IID_IUnknown, reinterpret_cast<void**>(&got));
      if (hr == S_OK ? got != sites[0].Get() && got != sites[1].Get() : got != nullptr) ++wrong;
      if (got != seen) ++changes;
      seen = got;
      if (got != nullptr) got->Release();
    }
    done = true;
  });
  for (std::thread& thread : running) thread.join();
  for (ComRef<IShellItemArray>& site : sites) site.Reset();
  EXPECT_GE(changes, kChanges);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(ledger.ExtraReleases(), 0);
  EXPECT_EQ(ledger.Held(), 0) << "a site is still held";
}

// A subcommand the shell set no site on uses the root's: the save dialog is owned by its window.
TEST_F(ExplorerCommandTest, ASubcommandWithoutASiteUsesTheRoots) {
  ReferenceLedger ledger;
  const Case folder = {"a folder",     {Wide("\x8E\x91\x97\xBF")}, kSeveral,
                       kCreateProject, Result::kProject,           ""};
  ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
  const std::vector<ComRef<IExplorerCommand>> commands = SubCommands(root.Get());
  ASSERT_EQ(commands.size(), kSubCommands);
  ComRef<IObjectWithSite> root_site;
  ASSERT_EQ(root->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(root_site.Put())), S_OK);
  root_site->SetSite(ApartmentSite(owner_.Get(), ledger).Get());
  const std::string project = Run(folder, "root", [&] {
    return commands[PositionOf(kCreateProject)]->Invoke(Items(folder).Get(), nullptr);
  });
  EXPECT_NE(project.find("m.txt\r\n"), std::string::npos) << project;
  root_site->SetSite(nullptr);
}

// A site whose last Release asks whether the DLL may be unloaded, as a host's
// CoFreeUnusedLibraries may at that moment from another thread.
class UnloadAskingSite final : public IUnknown {
 public:
  UnloadAskingSite(const VlpdDll& dll, HRESULT& answer) : dll_(dll), answer_(answer) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    *out = IsEqualIID(riid, IID_IUnknown) ? this : nullptr;
    if (*out == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
  STDMETHODIMP_(ULONG) Release() override {
    const long left = --references_;
    if (left == 0) {
      answer_ = dll_.CanUnloadNow();
      delete this;
    }
    return static_cast<ULONG>(left);
  }

 private:
  const VlpdDll& dll_;
  HRESULT& answer_;
  std::atomic<long> references_{1};
};

// A command gives its site back as it is destroyed: the module counts it until it is gone.
TEST_F(ExplorerCommandTest, TheModuleCannotBeUnloadedWhileACommandReleasesItsSite) {
  for (const bool subcommand : {false, true}) {
    SCOPED_TRACE(subcommand ? "a subcommand" : "the root");
    HRESULT answer = E_FAIL;
    {
      ComRef<IExplorerCommand> root = dll_.CreateExplorerCommand();
      ComRef<IExplorerCommand> command = subcommand ? std::move(SubCommands(root.Get())[0]) : std::move(root);
      root.Reset();
      ComRef<IObjectWithSite> with_site;
      ASSERT_EQ(command->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(with_site.Put())),
                S_OK);
      const ComRef<IUnknown> site = ComRef<IUnknown>::Adopt(new UnloadAskingSite(dll_, answer));
      ASSERT_EQ(with_site->SetSite(site.Get()), S_OK);
    }
    EXPECT_EQ(answer, S_FALSE);
  }
}

}  // namespace
}  // namespace vlpd::test
