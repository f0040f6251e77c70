// On a system whose code page is not 932 (this program runs with code page 1252), every text the
// extension shows must still read as the Japanese it is: menus, Unicode help texts, the save
// dialog and message boxes, all read back in UTF-16.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <thread>
#include <vector>

#include "fixtures/command_rows.h"
#include "host/message_box_watcher.h"
#include "host/shell_data_object.h"
#include "host/vlpd_dll.h"
#include "host/wide_text.h"
#include "project/save_dialog_ids.h"
#include "tests/support/temp_dir.h"

namespace vlpd::test {
namespace {

constexpr int kFileNameBox = 0x47C;  // cmb13 of the explorer-style dialog
constexpr int kMessageTextId = 0xFFFF;
constexpr UINT kCreateProject = OffsetOf(CommandAction::kCreateProject);

std::wstring Text(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return buffer;
}

struct DialogSearch {
  std::wstring title;
  HWND found = nullptr;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (pid == GetCurrentProcessId() && lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(window) &&
      Text(window) == search->title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForDialog(const std::wstring& title, int tries = 1000) {
  for (; tries > 0; --tries) {
    DialogSearch search{title};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(10);
  }
  return nullptr;
}

BOOL CALLBACK FindPicker(HWND window, LPARAM param) {
  if (GetDlgCtrlID(window) != kPickerControl) return TRUE;
  *reinterpret_cast<HWND*>(param) = window;
  return FALSE;
}

TEST(ForeignCodePage, ThisProgramRunsWithCodePage1252) { ASSERT_EQ(GetACP(), 1252u); }

TEST(ForeignCodePage, MenuAndHelpTextsAreJapanese) {
  ComApartment apartment;
  TempDir dir;
  dir.WriteFile("a.txt", "text");
  const VlpdDll dll;
  ASSERT_TRUE(dll.Loaded());
  const ComRef<IContextMenu> handler = dll.CreateHandler();
  ShownMenu shown;
  ShowMenu(handler.Get(), ShellDataObject(dir.Path(), {"a.txt"}).Get(), shown);
  ASSERT_EQ(HRESULT_CODE(shown.query_result), kCommandCount);

  auto label = [](HMENU menu, UINT position) {
    wchar_t buffer[64] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = buffer;
    info.cch = 64;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return std::wstring(buffer);
  };
  EXPECT_EQ(label(shown.menu.Get(), 1), L"Vellumpad ver1.50");
  const HMENU submenu = GetSubMenu(shown.menu.Get(), 1);
  for (UINT position = 0; position < kSubmenu.size(); ++position)
    EXPECT_EQ(label(submenu, position),
              kSubmenu[position].separator ? L"" : Wide(kSubmenu[position].label, 932));

  auto help = [&handler](UINT_PTR offset) {
    wchar_t buffer[64] = {};
    handler->GetCommandString(offset, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(buffer), 64);
    return std::wstring(buffer);
  };
  for (UINT offset = 0; offset < kCommandCount; ++offset)
    EXPECT_EQ(help(offset), Wide(kCommands[offset].help, 932));
}

// What the user saw while creating a project: the save dialog's picker, then a message box if any.
struct ProjectRun {
  bool dialog_found = false;
  std::vector<std::wstring> picker_entries;
  std::wstring message_title;
  std::wstring message_text;
};

// Chooses create-project for `selected` in `folder`, types `name` into the save dialog and presses
// OK, then presses OK on the message box that follows, if one comes.
ProjectRun CreateProjectAs(const std::string& folder, const std::string& selected, const std::wstring& name) {
  ProjectRun run;
  const VlpdDll dll;
  if (!dll.Loaded()) return run;
  const ComRef<IDataObject> data = ShellDataObject(folder, {selected});
  const DWORD shell_thread = GetCurrentThreadId();
  std::thread user([&run, &name, shell_thread] {
    const HWND dialog = WaitForDialog(L"ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ作成");
    if (dialog == nullptr) {
      CancelDialogsOf(shell_thread);
      return;
    }
    run.dialog_found = true;
    HWND picker = nullptr;
    EnumChildWindows(dialog, FindPicker, reinterpret_cast<LPARAM>(&picker));
    const LRESULT count = picker != nullptr ? SendMessageW(picker, CB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t entry[32] = {};
      if (SendMessageW(picker, CB_GETLBTEXTLEN, i, 0) < 32) {
        SendMessageW(picker, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
      }
      run.picker_entries.push_back(entry);
    }
    SetWindowTextW(GetDlgItem(dialog, kFileNameBox), name.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    const HWND box = WaitForDialog(L"VLPDMenu", 200);
    if (box == nullptr) {
      CancelDialogsOf(shell_thread);
      return;
    }
    run.message_title = Text(box);
    run.message_text = Text(GetDlgItem(box, kMessageTextId));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  EXPECT_EQ(InvokeOnNewHandler(dll, data.Get(), MAKEINTRESOURCEA(kCreateProject), nullptr, folder.c_str()),
            S_OK);
  user.join();
  return run;
}

// The save dialog's title and picker, then the message that an empty folder made no project.
TEST(ForeignCodePage, SaveDialogAndMessageBoxAreJapanese) {
  ComApartment apartment;
  TempDir dir;
  dir.MakeFolder("empty");
  const ProjectRun run = CreateProjectAs(dir.Path(), "empty", L"list");
  ASSERT_TRUE(run.dialog_found);
  EXPECT_EQ(run.picker_entries,
            (std::vector<std::wstring>{L"自動認識", L"ｼﾌﾄJIS", L"EUC", L"UTF8", L"UTF16BE", L"UTF16LE"}));
  EXPECT_EQ(run.message_title, L"VLPDMenu");
  EXPECT_EQ(run.message_text, L"ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙの作成に失敗しました。");
  EXPECT_FALSE(FileExists(dir / "list.vpj"));
}

// Names of the entries of `folder`, without . and ..
std::vector<std::wstring> Entries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  const FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
  if (!find) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find.Get(), &entry));
  return names;
}

std::string ReadWide(const std::wstring& path) {
  char contents[256] = {};
  DWORD read = 0;
  const FileHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "(none)";
  ReadFile(file.Get(), contents, sizeof contents - 1, &read, nullptr);
  return contents;
}

// A project name the system code page cannot write (Hangul in code page 1252) is never
// best-fitted into another name: the project goes into the chosen file through its short name
// when the file exists, and is refused with the failure message otherwise. (Whether the file
// exists by then is the dialog's affair: some dialogs test-create the chosen name.)
TEST(ForeignCodePage, ProjectNamesOutsideTheCodePageAreNeverBestFitted) {
  ComApartment apartment;
  TempDir dir;
  dir.WriteFile("a.txt", "text");
  const std::wstring folder(dir.Path().begin(), dir.Path().end());
  const std::wstring chosen = folder + L"\\목록.vpj";
  const std::string project = "/S .\\a.txt\r\n";  // ASCII text reads as Shift-JIS

  const ProjectRun first = CreateProjectAs(dir.Path(), "a.txt", L"목록");
  ASSERT_TRUE(first.dialog_found);
  const std::vector<std::wstring> entries = Entries(folder);
  if (first.message_text.empty()) {
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"a.txt", L"목록.vpj"}));
    EXPECT_EQ(ReadWide(chosen), project);
  } else {
    EXPECT_EQ(first.message_text, L"ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙの作成に失敗しました。");
    for (const std::wstring& name : entries) EXPECT_TRUE(name == L"a.txt" || name == L"목록.vpj");
    EXPECT_NE(ReadWide(chosen), project);
  }

  // Once the file exists, it is always reached.
  ASSERT_TRUE(FileHandle(CreateFileW(chosen.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)));
  const ProjectRun second = CreateProjectAs(dir.Path(), "a.txt", L"목록");
  ASSERT_TRUE(second.dialog_found);
  EXPECT_EQ(second.message_text, L"");
  EXPECT_EQ(ReadWide(chosen), project);
  EXPECT_EQ(Entries(folder), (std::vector<std::wstring>{L"a.txt", L"목록.vpj"}));
}

}  // namespace
}  // namespace vlpd::test
