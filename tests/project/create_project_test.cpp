// The create-project command through the real VLPDMenu.dll, as the shell drives it: the save
// dialog is operated from a second thread, and the project file is checked byte for byte.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <string>
#include <thread>
#include <vector>

#include "fixtures/command_rows.h"
#include "host/message_box_watcher.h"
#include "host/shell_data_object.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "project/encoding_picker.h"
#include "project/folder_identity.h"
#include "project/project_file.h"
#include "project/project_text.h"
#include "project/save_dialog_ids.h"
#include "tests/support/temp_dir.h"

namespace vlpd::test {
namespace {

// Texts as code page 932 bytes.
const std::string kPickerLabel =  // メンバファイルの文字コード
    "\x83\x81\x83\x93\x83o\x83t\x83@\x83"
    "C\x83\x8B\x82\xCC\x95\xB6\x8E\x9A\x83R\x81[\x83h";
const std::vector<std::string> kPickerTexts = {
    "\x8E\xA9\x93\xAE\x94"
    "F\x8E\xAF",        // 自動認識
    "\xBC\xCC\xC4JIS",  // ｼﾌﾄJIS
    "EUC",
    "UTF8",
    "UTF16BE",
    "UTF16LE",
};
const std::string kHyo = "\x95\x5C";  // 表
const std::string kSo = "\x83\x5C";   // ソ

// The same short Japanese text in each encoding; none has a byte-order mark.
const std::string kShiftJisText =
    "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\xB6\x8F\xCD\x82\xC5\x82\xB7\x81\x42\r\n";
const std::string kEucText = "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xCA\xB8\xBE\xCF\xA4\xC7\xA4\xB9\xA1\xA3\r\n";
const std::string kUtf8Text =
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE7\xAB\xA0\xE3\x81\xA7\xE3\x81\x99\xE3\x80"
    "\x82\r\n";
constexpr char kUtf16Le[] = "T\0e\0x\0t\0 \0\xC6\x30\xAD\x30\xB9\x30\xC8\x30\r\0\n\0";  // Text テキスト
constexpr char kUtf16Be[] = "\0T\0e\0x\0t\0 \x30\xC6\x30\xAD\x30\xB9\x30\xC8\0\r\0\n";
const std::string kUtf16LeText(kUtf16Le, sizeof kUtf16Le - 1);
const std::string kUtf16BeText(kUtf16Be, sizeof kUtf16Be - 1);

constexpr int kFileNameBox = 0x47C;  // cmb13 of the explorer-style dialog

// What the user does in the save dialog, and then in the progress window.
struct DialogAction {
  int pick = -1;  // picker position to select; -1 leaves the picker alone
  std::string file_name;
  bool cancel = false;
  // Non-empty: waits for the progress window to show the member count and a place starting with
  // this, then presses its Cancel.
  std::string cancel_progress_in = {};
};

// What the second thread saw in the dialog and after it; checked on the test's own thread.
struct DialogView {
  bool found = false;
  std::vector<std::string> entries;
  LRESULT initial_selection = CB_ERR;
  std::string label;
  bool progress_seen = false;
  HWND progress_owner = nullptr;
  std::vector<std::string> progress_texts;  // of its static controls, code page 932
};

struct ChildSearch {
  int id;
  const char* window_class;  // null: any
  HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  if (GetDlgCtrlID(window) == search->id &&
      (search->window_class == nullptr || lstrcmpiA(name, search->window_class) == 0)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND Child(HWND parent, int id, const char* window_class) {
  ChildSearch search{id, window_class};
  EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct ProgressSearch {
  HWND found = nullptr;
};

BOOL CALLBACK FindProgressBar(HWND window, LPARAM param) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpiA(name, "msctls_progress32") != 0) return TRUE;
  *reinterpret_cast<bool*>(param) = true;
  return FALSE;
}

BOOL CALLBACK FindProgressWindow(HWND window, LPARAM param) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  bool has_bar = false;
  if (pid != GetCurrentProcessId() || lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window) ||
      WindowText(window) != text::kProjectDialogTitle) {
    return TRUE;
  }
  EnumChildWindows(window, FindProgressBar, reinterpret_cast<LPARAM>(&has_bar));
  if (!has_bar) return TRUE;
  reinterpret_cast<ProgressSearch*>(param)->found = window;
  return FALSE;
}

// The shell's progress window of a creation: titled as the save dialog, with a progress bar.
HWND ProgressWindow() {
  ProgressSearch search;
  EnumWindows(FindProgressWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectStaticText(HWND window, LPARAM param) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpiA(name, "Static") == 0)
    reinterpret_cast<std::vector<std::string>*>(param)->push_back(WindowText(window));
  return TRUE;
}

bool HasLineStartingWith(const std::vector<std::string>& lines, const std::string& head) {
  return std::any_of(lines.begin(), lines.end(),
                     [&head](const std::string& line) { return line.compare(0, head.size(), head) == 0; });
}

// The progress window's clock for SaveProject, counting polls instead of time: a millisecond a
// reading, so that the window comes after a thousand polls of the walk on any machine. At the
// reading g_hold_at it waits (bounded) for g_cancel_pressed, so that the walk is still going
// when the user's Cancel lands.
DWORD g_ticks = 0;
DWORD g_hold_at = 0;
HANDLE g_cancel_pressed = nullptr;
DWORD WINAPI PollClock() {
  if (++g_ticks == g_hold_at) WaitForSingleObject(g_cancel_pressed, 30000);
  return g_ticks;
}
DWORD WINAPI StoppedClock() { return 0; }

// The final paths of the files SaveProject flushed, in order.
std::vector<std::string> g_flushed;
BOOL WINAPI RecordingFlush(HANDLE file) {
  char path[MAX_PATH] = {};
  const DWORD length = GetFinalPathNameByHandleA(file, path, MAX_PATH, VOLUME_NAME_DOS);
  g_flushed.push_back(length > 0 && length < MAX_PATH ? path : "");
  return FlushFileBuffers(file);
}

// Waits for the progress window, reads it and presses its Cancel button.
void CancelProgress(DialogView& view, const std::string& place) {
  HWND progress = nullptr;
  for (int i = 0; i < 6000 && progress == nullptr; ++i) {
    progress = ProgressWindow();
    if (progress == nullptr) Sleep(10);
  }
  if (progress == nullptr) return;
  view.progress_seen = true;
  view.progress_owner = GetWindow(progress, GW_OWNER);
  // The window shows before its lines are filled in, and fills them in one at a time.
  for (int i = 0; i < 1000; ++i) {
    view.progress_texts.clear();
    EnumChildWindows(progress, CollectStaticText, reinterpret_cast<LPARAM>(&view.progress_texts));
    if (HasLineStartingWith(view.progress_texts, text::kProgressMembers) &&
        HasLineStartingWith(view.progress_texts, place)) {
      break;
    }
    Sleep(10);
  }
  SendMessageA(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
  if (g_cancel_pressed != nullptr) SetEvent(g_cancel_pressed);
}

// Watches for a progress window until the command has returned; after 30 s its thread's dialogs
// are cancelled, so that a command stuck behind one fails the test instead of stalling it.
void WatchProgress(DialogView& view, const std::atomic<bool>& done, DWORD shell_thread) {
  for (const DWORD start = GetTickCount(); !done; Sleep(5)) {
    if (ProgressWindow() != nullptr) view.progress_seen = true;
    if (GetTickCount() - start > 30000) CancelDialogsOf(shell_thread);
  }
}

DialogView DriveDialog(const DialogAction& action, DWORD shell_thread) {
  DialogView view;
  const HWND dialog = FindDialog(text::kProjectDialogTitle, 10000);
  if (dialog == nullptr) {
    CancelDialogsOf(shell_thread);
    return view;
  }
  view.found = true;
  const HWND picker = Child(dialog, kPickerControl, "ComboBox");
  if (picker != nullptr) {
    const LRESULT count = SendMessageA(picker, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      char entry[64] = {};
      if (SendMessageA(picker, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof entry)) {
        SendMessageA(picker, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
      }
      view.entries.push_back(entry);
    }
    view.initial_selection = SendMessageA(picker, CB_GETCURSEL, 0, 0);
    const HWND label = Child(GetParent(picker), -1, "Static");
    if (label != nullptr) view.label = WindowText(label);
    if (action.pick >= 0) SendMessageA(picker, CB_SETCURSEL, action.pick, 0);
  }
  const int button = action.cancel ? IDCANCEL : IDOK;
  if (!action.cancel) SetWindowTextA(GetDlgItem(dialog, kFileNameBox), action.file_name.c_str());
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  if (!action.cancel_progress_in.empty()) CancelProgress(view, action.cancel_progress_in);
  return view;
}

// Entry names of a folder in listing order, without . and ..
std::string CurrentDirectory() {
  char directory[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, directory);
  return directory;
}

std::vector<std::string> ListNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  FindHandle find(FindFirstFileA((folder + "\\*.*").c_str(), &entry));
  if (!find) return names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find.Get(), &entry));
  return names;
}

std::string Folded(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<std::string> Sorted(std::vector<std::string> items) {
  std::sort(items.begin(), items.end());
  return items;
}

// The lines of a project file, each with its CR LF.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = bytes.find("\r\n", start);
    const size_t next = end == std::string::npos ? bytes.size() : end + 2;
    lines.push_back(bytes.substr(start, next - start));
    start = next;
  }
  return lines;
}

// Reads a dialog template resource (DLGTEMPLATEEX) field by field.
class TemplateReader {
 public:
  TemplateReader(const void* data, DWORD size)
      : at_(static_cast<const WORD*>(data)), end_(at_ + size / sizeof(WORD)) {}
  bool Ok() const { return at_ <= end_; }
  WORD Word() { return at_ < end_ ? *at_++ : (at_++, 0); }
  DWORD Dword() {
    const DWORD low = Word();
    return low | (static_cast<DWORD>(Word()) << 16);
  }
  // A terminated UTF-16 string, or an ordinal (0xFFFF, value) returned as {0xFFFF, value}.
  std::wstring Text() {
    std::wstring text;
    if (at_ < end_ && *at_ == 0xFFFF) {
      text += static_cast<wchar_t>(Word());
      text += static_cast<wchar_t>(Word());
      return text;
    }
    for (WORD c = Word(); c != 0 && Ok(); c = Word()) text += static_cast<wchar_t>(c);
    return text;
  }
  void AlignDword(const void* base) {
    if ((reinterpret_cast<const char*>(at_) - static_cast<const char*>(base)) % 4 != 0) ++at_;
  }

 private:
  const WORD* at_;
  const WORD* end_;
};

class CreateProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dll_.Loaded());
    owner_.Reset(
        CreateWindowA("STATIC", "shell", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner_);
  }

  // Initialize, QueryContextMenu and InvokeCommand of create-project, the dialog operated as `action`.
  DialogView Run(IDataObject* data, const std::string& invoking_folder, const DialogAction& action) {
    ComRef<IContextMenu> handler = dll_.CreateHandler();
    EXPECT_TRUE(handler);
    if (!handler) return {};
    ShownMenu shown;
    ShowMenu(handler.Get(), data, shown);
    EXPECT_EQ(shown.init_result, S_OK);

    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.hwnd = owner_.Get();
    info.lpVerb = MAKEINTRESOURCEA(OffsetOf(CommandAction::kCreateProject));
    info.lpDirectory = invoking_folder.c_str();
    info.nShow = SW_SHOWNORMAL;

    DialogView view;
    const DWORD shell_thread = GetCurrentThreadId();
    std::atomic<bool> done{false};
    std::thread user([&] {
      view = DriveDialog(action, shell_thread);
      WatchProgress(view, done, shell_thread);
    });
    // The shell's current directory stays its own: a folder that is a process's current directory
    // cannot be deleted or renamed while the process runs.
    const std::string shell_directory = CurrentDirectory();
    EXPECT_EQ(handler->InvokeCommand(&info), S_OK);
    done = true;
    user.join();
    EXPECT_TRUE(view.found);
    EXPECT_EQ(CurrentDirectory(), shell_directory);
    return view;
  }
  DialogView Run(const std::vector<std::string>& paths, const std::string& invoking_folder,
                 const DialogAction& action) {
    ComRef<TestDataObject> data = TestDataObject::Make(paths);
    return Run(data.Get(), invoking_folder, action);
  }

  // SaveProject itself on this thread, with `calls` and the picker's entry `pick`, while a second
  // thread plays the user of the progress window as `action` says.
  SaveResult Save(const std::vector<std::string>& paths, const std::string& invoking_folder,
                  const std::string& project, int pick, const SaveCalls& calls, DialogView& view,
                  const std::string& cancel_progress_in = {}) {
    SelectionList selection;
    std::size_t bytes = 0;
    for (const std::string& path : paths) bytes += path.size() + 1;
    EXPECT_TRUE(selection.Reserve(static_cast<int>(paths.size()), bytes));
    for (const std::string& path : paths) EXPECT_TRUE(selection.Append(path.c_str(), path.size()));
    g_ticks = 0;
    const DWORD shell_thread = GetCurrentThreadId();
    std::atomic<bool> done{false};
    std::thread user([&] {
      if (!cancel_progress_in.empty()) CancelProgress(view, cancel_progress_in);
      WatchProgress(view, done, shell_thread);
    });
    const SaveResult result = SaveProject(project.c_str(), selection, invoking_folder.c_str(),
                                          PickerEncoding(pick), owner_.Get(), calls);
    done = true;
    user.join();
    return result;
  }

  ComApartment com_;
  VlpdDll dll_;
  WindowHandle owner_;
};

TEST_F(CreateProjectTest, ChildDialogTemplateInTheLibrary) {
  const HRSRC found = FindResourceExA(dll_.Module(), RT_DIALOG, MAKEINTRESOURCEA(106),
                                      MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
  ASSERT_NE(found, nullptr);
  const void* data = LockResource(LoadResource(dll_.Module(), found));
  ASSERT_NE(data, nullptr);
  TemplateReader t(data, SizeofResource(dll_.Module(), found));

  EXPECT_EQ(t.Word(), 1);       // dlgVer
  EXPECT_EQ(t.Word(), 0xFFFF);  // extended form
  EXPECT_EQ(t.Dword(), 0u);     // helpID
  EXPECT_EQ(t.Dword(), 0u);     // exStyle
  EXPECT_EQ(t.Dword(), 0x54080440u);
  EXPECT_EQ(t.Word(), 2);  // controls
  EXPECT_EQ(t.Word(), 0);
  EXPECT_EQ(t.Word(), 0);
  EXPECT_EQ(t.Word(), 170);
  EXPECT_EQ(t.Word(), 28);
  EXPECT_EQ(t.Text(), L"");                                             // menu
  EXPECT_EQ(t.Text(), L"");                                             // class
  EXPECT_EQ(t.Text(), L"");                                             // caption
  EXPECT_EQ(t.Word(), 9);                                               // points
  EXPECT_EQ(t.Word(), 400);                                             // weight
  EXPECT_EQ(t.Word(), 128 << 8);                                        // not italic, SHIFTJIS_CHARSET
  EXPECT_EQ(t.Text(), L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF");  // ＭＳ Ｐゴシック

  t.AlignDword(data);
  EXPECT_EQ(t.Dword(), 0u);
  EXPECT_EQ(t.Dword(), 0u);
  EXPECT_EQ(t.Dword(), 0x50210102u);
  EXPECT_EQ(t.Word(), 94);
  EXPECT_EQ(t.Word(), 7);
  EXPECT_EQ(t.Word(), 59);
  EXPECT_EQ(t.Word(), 22);
  EXPECT_EQ(t.Dword(), static_cast<DWORD>(kPickerControl));
  EXPECT_EQ(t.Text(), std::wstring(L"\xFFFF\x0085"));  // COMBOBOX
  EXPECT_EQ(t.Text(), L"");
  EXPECT_EQ(t.Word(), 0);

  t.AlignDword(data);
  EXPECT_EQ(t.Dword(), 0u);
  EXPECT_EQ(t.Dword(), 0u);
  EXPECT_EQ(t.Dword(), 0x50020000u);
  EXPECT_EQ(t.Word(), 7);
  EXPECT_EQ(t.Word(), 9);
  EXPECT_EQ(t.Word(), 83);
  EXPECT_EQ(t.Word(), 8);
  EXPECT_EQ(t.Dword(), 0xFFFFFFFFu);
  EXPECT_EQ(t.Text(), std::wstring(L"\xFFFF\x0082"));  // STATIC
  // メンバファイルの文字コード
  EXPECT_EQ(t.Text(), L"\x30E1\x30F3\x30D0\x30D5\x30A1\x30A4\x30EB\x306E\x6587\x5B57\x30B3\x30FC\x30C9");
  EXPECT_EQ(t.Word(), 0);
  EXPECT_TRUE(t.Ok());
}

TEST_F(CreateProjectTest, PickerListsSixEntriesAndCancelCreatesNothing) {
  TempDir dir("vlpd_cancel");
  const std::string file = dir.WriteFile("a.txt", kShiftJisText);
  MessageBoxWatcher boxes;

  const DialogView view = Run({file}, dir.Path(), {-1, "", true});
  EXPECT_EQ(view.entries, kPickerTexts);
  EXPECT_EQ(view.initial_selection, 0);
  EXPECT_EQ(view.label, kPickerLabel);
  EXPECT_EQ(ListNames(dir.Path()), std::vector<std::string>{"a.txt"});
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(CreateProjectTest, EachPickedEncodingSwitchesTheSelectedFiles) {
  TempDir dir("vlpd_pick");
  const std::string file = dir.WriteFile("a.txt", kEucText);
  const std::string sub = dir.MakeFolder("sub");
  dir.WriteFile("sub\\b.txt", kUtf8Text);
  MessageBoxWatcher boxes;

  // Automatic detection first, then each fixed encoding: walked files carry no switch then.
  const std::vector<std::string> expected = {
      "/E .\\a.txt\r\n/U8 .\\sub\\b.txt\r\n", "/S .\\a.txt\r\n.\\sub\\b.txt\r\n",
      "/E .\\a.txt\r\n.\\sub\\b.txt\r\n",     "/U8 .\\a.txt\r\n.\\sub\\b.txt\r\n",
      "/UB .\\a.txt\r\n.\\sub\\b.txt\r\n",    "/UL .\\a.txt\r\n.\\sub\\b.txt\r\n",
  };
  for (int pick = 0; pick < 6; ++pick) {
    const std::string name = "pick" + std::to_string(pick);
    Run({file, sub}, dir.Path(), {pick, dir / name});
    // The dialog adds the default extension.
    EXPECT_EQ(ReadFileBytes(dir / (name + ".vpj")), expected[pick]) << pick;
  }
  EXPECT_TRUE(boxes.Seen().empty());
}

#if defined(_WIN64)
// Takes every free range of the address space below 4 GiB while it lives, so that what is made
// after it, a new thread's stack among them, lies above 4 GiB, and a pointer cut to its low 32 bits
// leads into the taken ranges, where every access faults.
class LowAddressesTaken {
 public:
  LowAddressesTaken() {
    constexpr ULONG_PTR kFourGib = ULONG_PTR{1} << 32;
    for (SIZE_T size = SIZE_T{1} << 31; size >= (SIZE_T{1} << 16); size /= 2) {
      for (;;) {
        void* p = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
        if (p == nullptr) break;
        reserved_.emplace_back(p);
        if (reinterpret_cast<ULONG_PTR>(p) >= kFourGib) break;
      }
    }
  }

 private:
  std::vector<VirtualRange> reserved_;
};

TEST_F(CreateProjectTest, DescriptionAbove4GiBReachesTheHookWhole) {
  TempDir dir("vlpd_high");
  const std::string file = dir.WriteFile("a.txt", kShiftJisText);
  MessageBoxWatcher boxes;
  const LowAddressesTaken taken;
  // The command runs on a thread made now: its stack, and the dialog description on it, lie above
  // 4 GiB, and the dialog hook finds the description again through the dialog's user slot.
  bool stack_above_4gib = false;
  HRESULT invoked = E_FAIL;
  DialogView view;
  std::thread shell([&] {
    const ComApartment apartment;
    const int probe = 0;
    stack_above_4gib = (reinterpret_cast<ULONG_PTR>(&probe) >> 32) != 0;
    ComRef<TestDataObject> data = TestDataObject::Make({file});
    const DWORD shell_thread = GetCurrentThreadId();
    std::thread user([&] { view = DriveDialog({2, dir / "high"}, shell_thread); });
    invoked = InvokeOnNewHandler(dll_, data.Get(), MAKEINTRESOURCEA(OffsetOf(CommandAction::kCreateProject)),
                                 nullptr, dir.Path().c_str());
    user.join();
  });
  shell.join();
  ASSERT_TRUE(stack_above_4gib);
  EXPECT_EQ(invoked, S_OK);
  EXPECT_TRUE(view.found);
  // The picked EUC reached the project, though the file is Shift-JIS.
  EXPECT_EQ(ReadFileBytes(dir / "high.vpj"), "/E .\\a.txt\r\n");
  EXPECT_TRUE(boxes.Seen().empty());
}
#endif

TEST_F(CreateProjectTest, DetectsEveryEncodingOnDisk) {
  TempDir dir("vlpd_detect");
  const std::vector<std::pair<std::string, std::string>> files = {
      {"sjis.txt", kShiftJisText},
      {"euc.txt", kEucText},
      {"utf8.txt", kUtf8Text},
      {"le.txt", kUtf16LeText},
      {"be.txt", kUtf16BeText},
      {"ascii.txt", "plain\r\n"},
      {"empty.txt", ""},
      {"bom.txt",
       "\xEF\xBB\xBF"
       "x"},
      {"katakana.txt", "\xB1\xB2\xB3"},
  };
  std::vector<std::string> selected;
  for (const auto& [name, bytes] : files) selected.push_back(dir.WriteFile(name, bytes));
  // 4 GiB, UTF-8 over the detector's window (the rest sparse), walked and selected: its size must
  // not be cut to its low 32 bits, 0.
  std::string utf8;
  while (utf8.size() < 70000) utf8 += kUtf8Text;
  selected.push_back(dir.WriteFile("big\\4g.txt", utf8));
  {
    const FileHandle big(
        CreateFileA(selected.back().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(SetFilePointerEx(big.Get(), LARGE_INTEGER{{0, 1}}, nullptr, FILE_BEGIN) &&
                SetEndOfFile(big.Get()));
  }
  selected.push_back(dir / "big");
  MessageBoxWatcher boxes;

  Run(selected, dir.Path(), {0, dir / "detect.vpj"});
  EXPECT_EQ(ReadFileBytes(dir / "detect.vpj"),
            "/S .\\sjis.txt\r\n/E .\\euc.txt\r\n/U8 .\\utf8.txt\r\n/UL .\\le.txt\r\n/UB .\\be.txt\r\n"
            "/S .\\ascii.txt\r\n.\\empty.txt\r\n/U8 .\\bom.txt\r\n.\\katakana.txt\r\n"
            "/U8 .\\big\\4g.txt\r\n/U8 .\\big\\4g.txt\r\n");
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(CreateProjectTest, ShellDataObjectAndFolderWalkInListingOrder) {
  TempDir dir("vlpd_shell");
  dir.WriteFile("docs\\one.txt", kShiftJisText);
  dir.WriteFile("docs\\two.txt", kUtf8Text);
  dir.WriteFile("docs\\inner\\three.txt", kEucText);
  dir.WriteFile("top.txt", kUtf16LeText);
  ComRef<IDataObject> data = ShellDataObject(dir.Path(), {"top.txt", "docs"});
  ASSERT_TRUE(data);
  MessageBoxWatcher boxes;

  const std::string invoking = dir / "docs";
  Run(data.Get(), invoking, {0, dir / "shell"});

  std::string expected = "/UL ..\\top.txt\r\n";
  for (const std::string& name : ListNames(dir / "docs")) {
    if (name == "inner") {
      expected += "/E ..\\docs\\inner\\three.txt\r\n";
    } else {
      expected += (name == "one.txt" ? "/S " : "/U8 ") + std::string("..\\docs\\") + name + "\r\n";
    }
  }
  EXPECT_EQ(ReadFileBytes(dir / "shell.vpj"), expected);
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(CreateProjectTest, FoldersNamedWithTrailByteBackslashes) {
  TempDir dir("vlpd_" + kHyo);
  const std::string hyo = dir.MakeFolder(kHyo);
  dir.WriteFile(kHyo + "\\" + kSo + "\\" + kHyo + ".txt", kShiftJisText);
  const std::string invoking = dir.MakeFolder(kHyo + "\\" + kSo);
  MessageBoxWatcher boxes;

  Run({hyo}, invoking, {2, dir / "japanese"});
  EXPECT_EQ(ReadFileBytes(dir / "japanese.vpj"), "..\\..\\" + kHyo + "\\" + kSo + "\\" + kHyo + ".txt\r\n");
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(CreateProjectTest, NamesOutsideTheCodePageAreListedByTheirShortNames) {
  TempDir dir("vlpd_foreign");
  const std::vector<std::wstring> names = {L"caf\x00E9\x2615\xD55C.txt", L"\xD55C\xAE00.txt"};
  std::vector<std::string> aliases;
  for (const std::wstring& name : names) aliases.push_back(ShortAlias(dir.WriteFileW(name, kShiftJisText)));
  dir.WriteFile("cafe.txt", kEucText);  // what a plain conversion makes of the first name
  ComRef<IDataObject> data = ShellDataObject(dir.WidePath(), names);
  ASSERT_TRUE(data);
  MessageBoxWatcher boxes;

  Run(data.Get(), dir.Path(), {0, dir / "foreign"});
  EXPECT_EQ(ReadFileBytes(dir / "foreign.vpj"), "/S .\\" + aliases[0] + "\r\n/S .\\" + aliases[1] + "\r\n");
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(CreateProjectTest, WalkedNamesOutsideTheCodePageAreListedByTheirShortNames) {
  TempDir dir("vlpd_foreign_walk");
  const std::string folder = dir.MakeFolder("f");
  const std::string alias = ShortAlias(dir.WriteFileW(L"f\\caf\x00E9.txt", kShiftJisText));
  dir.WriteFile("f\\cafe.txt", kEucText);  // what a plain conversion makes of the other name
  MessageBoxWatcher boxes;

  Run({folder}, dir.Path(), {0, dir / "walked"});
  EXPECT_EQ(Sorted(Lines(ReadFileBytes(dir / "walked.vpj"))),
            Sorted({"/S .\\f\\" + alias + "\r\n", "/E .\\f\\cafe.txt\r\n"}));
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(CreateProjectTest, NewProjectInsideASelectedFolderListsItself) {
  TempDir dir("vlpd_self");
  const std::string folder = dir.MakeFolder("f");
  dir.WriteFile("f\\a.txt", "a");
  MessageBoxWatcher boxes;

  Run({folder}, dir.Path(), {1, dir / "f\\self.vpj"});
  std::string expected;
  for (const std::string& name : ListNames(folder)) expected += ".\\f\\" + name + "\r\n";
  EXPECT_NE(expected.find("self.vpj"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(dir / "f\\self.vpj"), expected);
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(CreateProjectTest, ExistingProjectIsReplacedWhenComplete) {
  TempDir dir("vlpd_replace");
  const std::string folder = dir.MakeFolder("f");
  dir.WriteFile("f\\a.txt", "a");
  const std::string project = dir.WriteFile("f\\p.vpj", "old contents\r\n");
  MessageBoxWatcher boxes;

  // The new project is written beside the old one and must not list its own temporary file.
  Run({folder}, dir.Path(), {2, project});
  EXPECT_EQ(Sorted(ListNames(folder)), (std::vector<std::string>{"a.txt", "p.vpj"}));
  // Renaming may move the project in the listing, so only the set of lines is compared.
  EXPECT_EQ(Sorted(Lines(ReadFileBytes(project))),
            (std::vector<std::string>{".\\f\\a.txt\r\n", ".\\f\\p.vpj\r\n"}));
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(CreateProjectTest, SavingOverAProjectKeepsWhatBelongsToTheFile) {
  // P:\replace\link.vpj is a symbolic link to P:\replace\target\real.vpj (wine_drives.sh).
  const std::string link = "P:\\replace\\link.vpj";
  const std::string real = "P:\\replace\\target\\real.vpj";
  if (GetFileAttributesA(real.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "P:\\replace is not there";
  TempDir dir("vlpd_keep");
  const std::string member = dir.WriteFile("a.txt", "a");
  const std::string plain = dir.WriteFile("plain.vpj", "old\r\n");
  const struct {
    std::string saved_as;  // the name typed in the dialog
    std::string holder;    // the file that holds the project afterwards
    DWORD attributes;      // given to the old file first, kept by the new one
  } kCases[] = {
      {plain, plain, FILE_ATTRIBUTE_HIDDEN},
      {link, real, FILE_ATTRIBUTE_NORMAL},
  };
  MessageBoxWatcher boxes;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.saved_as);
    const DWORD link_attributes = GetFileAttributesA(c.saved_as.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT;
    ASSERT_TRUE(SetFileAttributesA(c.holder.c_str(), c.attributes));
    ASSERT_EQ(GetFileAttributesA(c.holder.c_str()) & FILE_ATTRIBUTE_HIDDEN,
              c.attributes & FILE_ATTRIBUTE_HIDDEN);
    Run({member}, dir.Path(), {1, c.saved_as});
    EXPECT_EQ(ReadFileBytes(c.holder), "/S .\\a.txt\r\n");
    EXPECT_EQ(GetFileAttributesA(c.holder.c_str()) & FILE_ATTRIBUTE_HIDDEN,
              c.attributes & FILE_ATTRIBUTE_HIDDEN);
    // A link stays a link to the file it led to, and no temporary file is left beside either.
    EXPECT_EQ(GetFileAttributesA(c.saved_as.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, link_attributes);
    SetFileAttributesA(c.holder.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  EXPECT_EQ(Sorted(ListNames("P:\\replace")), (std::vector<std::string>{"far.vpj", "link.vpj", "target"}));
  EXPECT_EQ(ListNames("P:\\replace\\target"), std::vector<std::string>{"real.vpj"});
  EXPECT_EQ(Sorted(ListNames(dir.Path())), (std::vector<std::string>{"a.txt", "plain.vpj"}));
  EXPECT_TRUE(boxes.Seen().empty());
}

// The replacing project is flushed before it takes the old one's place, and it is made beside the
// file the name finally leads to: ReplaceFile cannot move a file from one drive to another.
TEST_F(CreateProjectTest, AReplacingProjectIsFlushedBesideTheFileItReplaces) {
  // P:\replace\link.vpj leads to P:\replace\target\real.vpj, P:\replace\far.vpj to C:\vlpd_far\far.vpj.
  if (GetFileAttributesA("C:\\vlpd_far\\far.vpj") == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "P:\\replace is not there";
  }
  TempDir dir("vlpd_flush");
  const std::string member = dir.WriteFile("a.txt", "a");
  const std::string plain = dir.WriteFile("plain.vpj", "old\r\n");
  const struct {
    std::string saved_as, holder;
  } kCases[] = {
      {plain, plain},
      {"P:\\replace\\link.vpj", "P:\\replace\\target\\real.vpj"},
      {"P:\\replace\\far.vpj", "C:\\vlpd_far\\far.vpj"},
  };
  SaveCalls calls;
  calls.flush = RecordingFlush;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.saved_as);
    g_flushed.clear();
    DialogView view;
    EXPECT_EQ(Save({member}, dir.Path(), c.saved_as, 1, calls, view), SaveResult::kSaved);
    EXPECT_EQ(ReadFileBytes(c.holder), "/S .\\a.txt\r\n");
    ASSERT_EQ(g_flushed.size(), 1u);
    const std::string flushed_folder = g_flushed[0].substr(0, g_flushed[0].rfind('\\') + 1);
    EXPECT_EQ(Folded(flushed_folder), Folded("\\\\?\\" + c.holder.substr(0, c.holder.rfind('\\') + 1)));
  }
  EXPECT_EQ(ListNames("C:\\vlpd_far"), std::vector<std::string>{"far.vpj"});
  EXPECT_EQ(Sorted(ListNames("P:\\replace")), (std::vector<std::string>{"far.vpj", "link.vpj", "target"}));
}

TEST_F(CreateProjectTest, OnlyEmptyFoldersShowTheFailureAndKeepAnOldProject) {
  TempDir dir("vlpd_empty");
  const std::string empty_one = dir.MakeFolder("e1\\inner");
  const std::string empty_two = dir.MakeFolder("e2");
  const std::string old_project = dir.WriteFile("old.vpj", "old contents\r\n");
  MessageBoxWatcher boxes;

  Run({dir / "e1", empty_two}, dir.Path(), {0, dir / "new"});
  EXPECT_FALSE(FileExists(dir / "new.vpj"));
  Run({dir / "e1", empty_two}, dir.Path(), {0, old_project});
  EXPECT_EQ(ReadFileBytes(old_project), "old contents\r\n");
  EXPECT_EQ(Sorted(ListNames(dir.Path())), (std::vector<std::string>{"e1", "e2", "old.vpj"}));

  const std::vector<SeenBox> seen = boxes.WaitFor(2);
  ASSERT_EQ(seen.size(), 2u);
  for (const SeenBox& box : seen) {
    EXPECT_EQ(box.title, "VLPDMenu");
    EXPECT_EQ(box.text, text::kProjectFailed);
  }
}

TEST_F(CreateProjectTest, LimitMessageOnceAnd7500Lines) {
  // One folder of 100 files selected 80 times: the limit is reached inside the 75th walk, long
  // after the progress window came up, which must be gone before the message.
  TempDir dir("vlpd_limit");
  for (int i = 0; i < 100; ++i) dir.WriteFile("many\\" + std::to_string(i), "");
  const std::vector<std::string> selected(80, dir / "many");
  MessageBoxWatcher boxes;

  DialogView view;
  SaveCalls calls;
  calls.now = PollClock;
  EXPECT_EQ(Save(selected, dir.Path(), dir / "limit.vpj", 1, calls, view), SaveResult::kSaved);
  EXPECT_TRUE(view.progress_seen);
  std::string walk;
  for (const std::string& name : ListNames(dir / "many")) walk += ".\\many\\" + name + "\r\n";
  std::string expected;
  for (int i = 0; i < 75; ++i) expected += walk;
  EXPECT_EQ(ReadFileBytes(dir / "limit.vpj"), expected);
  const std::vector<SeenBox> seen = boxes.WaitFor(1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "VLPDMenu_0150");
  EXPECT_EQ(seen[0].text, text::kProjectLimit);
  EXPECT_EQ(seen[0].dialogs_beside, 0) << "the progress window stayed up behind the message";
}

TEST_F(CreateProjectTest, MembersOnAnotherDriveKeepAbsolutePaths) {
  // P: is a second drive mapped for these tests (see wine_drives.sh).
  if (GetFileAttributesA("P:\\") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "drive P: is not mapped";
  TempDir dir("vlpd_drive");
  const std::string other = "P:\\vlpd_drive_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(other.c_str(), nullptr);
  const std::string file = other + "\\x.txt";
  {
    FileHandle out(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(out.Get(), kUtf8Text.data(), static_cast<DWORD>(kUtf8Text.size()), &written, nullptr));
  }
  const std::string local = dir.WriteFile("y.txt", kShiftJisText);
  MessageBoxWatcher boxes;

  Run({file, local}, dir.Path(), {0, dir / "drive"});
  EXPECT_EQ(ReadFileBytes(dir / "drive.vpj"), "/U8 " + file + "\r\n/S " + local + "\r\n");
  DeleteFileA(file.c_str());
  RemoveDirectoryA(other.c_str());
  EXPECT_TRUE(boxes.Seen().empty());
}

// P:\links holds real symbolic links, which Wine lists as reparse points (see wine_drives.sh).
TEST_F(CreateProjectTest, SymbolicLinksAreFollowedOnlyToFoldersNotYetWalked) {
  const std::string links = "P:\\links";
  if (GetFileAttributesA((links + "\\tree").c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "P:\\links is not there";
  }
  ASSERT_EQ(GetFileAttributesA((links + "\\tree\\l1").c_str()),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  const std::string project = links + "\\links.vpj";
  MessageBoxWatcher boxes;

  // Each file once; zz, listed after the links and the dangling one, is still reached.
  Run({links + "\\tree", links + "\\two"}, links, {2, project});
  EXPECT_EQ(Sorted(Lines(ReadFileBytes(project))),
            (std::vector<std::string>{".\\tree\\a.txt\r\n", ".\\tree\\zz\\z.txt\r\n", ".\\two\\b.txt\r\n"}));
  // A folder with a link to its parent: the parent's walk passes over the folder walked directly.
  Run({links + "\\tree\\zz", links + "\\tree\\l1"}, links, {2, project});
  EXPECT_EQ(Sorted(Lines(ReadFileBytes(project))),
            (std::vector<std::string>{".\\tree\\l1\\a.txt\r\n", ".\\tree\\zz\\z.txt\r\n"}));
  DeleteFileA(project.c_str());
  EXPECT_TRUE(boxes.Seen().empty());
}

// Wine opens a link's target whatever the flags: what the walk asks for shows whose identity it gets.
DWORD g_identity_open_flags = 0;
HANDLE WINAPI RecordingOpen(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                            DWORD disposition, DWORD flags, HANDLE model) {
  g_identity_open_flags = flags;
  return CreateFileA(path, access, share, security, disposition, flags, model);
}

TEST(FolderIdentity, IsTheLinkTargetsNotTheLinks) {
  TempDir dir("vlpd_identity");
  FolderIdentity identity;
  ASSERT_TRUE(IdentifyFolder(dir.MakeFolder("f").c_str(), identity, RecordingOpen));
  EXPECT_EQ(g_identity_open_flags & FILE_FLAG_OPEN_REPARSE_POINT, 0u);
  EXPECT_FALSE(IdentifyFolder(dir.WriteFile("a.txt", "x").c_str(), identity));
}

TEST_F(CreateProjectTest, LongCreationShowsProgressAndItsCancelLeavesNothing) {
  // One file beside 100 empty folders, selected 30 times: about 3,000 polls of the walk, some
  // 3 s on the counting clock, without reaching the member limit.
  TempDir dir("vlpd_progress");
  dir.WriteFile("wide\\a.txt", kShiftJisText);
  for (int i = 0; i < 100; ++i) dir.MakeFolder("wide\\e" + std::to_string(i));
  const std::vector<std::string> selected(30, dir / "wide");
  const std::string old_project = dir.WriteFile("old.vpj", "old contents\r\n");
  MessageBoxWatcher boxes;

  // However long it takes, a creation shows nothing before its clock has run a second.
  DialogView quiet;
  SaveCalls calls;
  calls.now = StoppedClock;
  EXPECT_EQ(Save(selected, dir.Path(), dir / "quiet.vpj", 1, calls, quiet), SaveResult::kSaved);
  EXPECT_FALSE(quiet.progress_seen);
  EXPECT_EQ(Lines(ReadFileBytes(dir / "quiet.vpj")).size(), 30u);
  DeleteFileA((dir / "quiet.vpj").c_str());

  // Two seconds in, the walk waits for the user's Cancel.
  const KernelHandle cancel_pressed(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  g_cancel_pressed = cancel_pressed.Get();
  g_hold_at = 2000;
  calls.now = PollClock;
  for (const std::string& target : {dir / "new.vpj", old_project}) {
    ResetEvent(g_cancel_pressed);
    DialogView view;
    const std::string place = dir / "wide\\";
    EXPECT_EQ(Save(selected, dir.Path(), target, 0, calls, view, place), SaveResult::kCancelled);
    ASSERT_TRUE(view.progress_seen) << target;
    EXPECT_EQ(view.progress_owner, owner_.Get());
    // The member count so far, and the folder being walked.
    EXPECT_TRUE(HasLineStartingWith(view.progress_texts, text::kProgressMembers)) << target;
    EXPECT_TRUE(HasLineStartingWith(view.progress_texts, place)) << target;
    EXPECT_EQ(ProgressWindow(), nullptr);
  }
  g_hold_at = 0;
  g_cancel_pressed = nullptr;
  EXPECT_FALSE(FileExists(dir / "new.vpj"));
  EXPECT_EQ(ReadFileBytes(old_project), "old contents\r\n");
  EXPECT_EQ(Sorted(ListNames(dir.Path())), (std::vector<std::string>{"old.vpj", "wide"}));
  // The user chose to stop: no failure message.
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(CreateProjectTest, ProjectFileThatCannotBeCreatedTellsTheUser) {
  TempDir dir("vlpd_uncreatable");
  const std::string file = dir.WriteFile("a.txt", "a");
  // A name another program holds open without sharing.
  const std::string held = dir.WriteFile("held.vpj", "held\r\n");
  FileHandle holder(CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder.Valid());
  // A folder whose path leaves no room for a temporary name beside the project in it.
  std::string deep = "deep";
  while (dir.Path().size() + 1 + deep.size() < 248)
    deep += "\\" + std::string(std::min<std::size_t>(60, 247 - dir.Path().size() - deep.size() - 1), 'd');
  const std::string deep_project = dir.WriteFile(deep + "\\p.vpj", "deep\r\n");
  ASSERT_EQ(ReadFileBytes(deep_project), "deep\r\n");
  std::vector<std::string> targets = {held, deep_project};
  // A read-only drive, where nothing can be created.
  if (GetFileAttributesA("R:\\") != INVALID_FILE_ATTRIBUTES) targets.push_back("R:\\new");
  MessageBoxWatcher boxes;

  for (const std::string& target : targets) Run({file}, dir.Path(), {1, target});
  holder.Reset();
  EXPECT_EQ(ReadFileBytes(held), "held\r\n");
  EXPECT_EQ(ReadFileBytes(deep_project), "deep\r\n");
  EXPECT_EQ(ListNames(dir / deep), std::vector<std::string>{"p.vpj"});
  EXPECT_FALSE(FileExists("R:\\new.vpj"));
  const std::vector<SeenBox> seen = boxes.WaitFor(targets.size());
  ASSERT_EQ(seen.size(), targets.size());
  for (const SeenBox& box : seen) {
    EXPECT_EQ(box.title, "VLPDMenu");
    EXPECT_EQ(box.text, text::kProjectFailed);
  }
}

// Q: is a 64 KiB tmpfs mapped for these tests (see wine_drives.sh); filling it up makes every
// write past the last free page fail, as on a full disk.
class FullDriveTest : public CreateProjectTest {
 protected:
  void SetUp() override {
    CreateProjectTest::SetUp();
    if (GetFileAttributesA("Q:\\") == INVALID_FILE_ATTRIBUTES)
      GTEST_SKIP() << "drive Q: (a small tmpfs) is not mapped";
  }
  void TearDown() override {
    DeleteFileA(kFiller);
    DeleteFileA(kOld);
    CreateProjectTest::TearDown();
  }
  // Leaves `free_bytes` of the drive free.
  static void Fill(ULONGLONG free_bytes) {
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("Q:\\", &available, &total, &free));
    ASSERT_GT(available.QuadPart, free_bytes);
    const std::string filler(static_cast<size_t>(available.QuadPart - free_bytes), 'f');
    FileHandle out(CreateFileA(kFiller, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(out.Get(), filler.data(), static_cast<DWORD>(filler.size()), &written, nullptr));
    ASSERT_EQ(written, filler.size());
  }

  static constexpr const char* kFiller = "Q:\\filler.bin";
  static constexpr const char* kOld = "Q:\\old.vpj";
};

TEST_F(FullDriveTest, WriteFailureInsideAWalkLeavesNothingBehind) {
  // 40 members of about 200 bytes each need more than the one page left free.
  TempDir dir("vlpd_full");
  for (int i = 0; i < 40; ++i) dir.WriteFile("many\\" + std::string(180, 'n') + std::to_string(i), "x");
  {
    FileHandle out(CreateFileA(kOld, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(out.Get(), "old\r\n", 5, &written, nullptr));
  }
  Fill(4096);
  MessageBoxWatcher boxes;

  Run({dir / "many"}, dir.Path(), {1, "Q:\\new"});
  EXPECT_FALSE(FileExists("Q:\\new.vpj"));
  Run({dir / "many"}, dir.Path(), {1, kOld});
  EXPECT_EQ(ReadFileBytes(kOld), "old\r\n");
  EXPECT_EQ(Sorted(ListNames("Q:")), (std::vector<std::string>{"filler.bin", "old.vpj"}));

  const std::vector<SeenBox> seen = boxes.WaitFor(2);
  ASSERT_EQ(seen.size(), 2u);
  for (const SeenBox& box : seen) {
    EXPECT_EQ(box.title, "VLPDMenu");
    EXPECT_EQ(box.text, text::kProjectFailed);
  }
}

}  // namespace
}  // namespace vlpd::test
