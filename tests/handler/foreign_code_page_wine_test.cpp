// On a system whose code page is not 932 (this program runs with code page 1252), every text the
// extension shows must still read as the Japanese it is: menus, Unicode help texts, the save
// dialog and message boxes, all read back in UTF-16.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/shell_data_object.h"
#include "tests/support/temp_dir.h"
#include "tests/support/vlpd_dll.h"

namespace vlpd::test {
namespace {

constexpr int kPickerControl = 1004;
constexpr int kFileNameBox = 0x47C;  // cmb13 of the explorer-style dialog
constexpr int kMessageTextId = 0xFFFF;

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

HWND WaitForDialog(const std::wstring& title) {
  for (int tries = 0; tries < 1000; ++tries) {
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
  ASSERT_EQ(HRESULT_CODE(shown.query_result), 9);

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
  EXPECT_EQ(label(shown.menu, 1), L"Vellumpad ver1.50");
  const HMENU submenu = GetSubMenu(shown.menu, 1);
  const std::vector<std::pair<UINT, std::wstring>> expected = {
      {0, L"開く"}, {2, L"ｼﾌﾄJIS"}, {7, L".vpj"}, {9, L"ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ作成"}, {11, L"名前をｺﾋﾟｰ"}};
  for (const auto& [position, text] : expected) EXPECT_EQ(label(submenu, position), text) << position;

  auto help = [&handler](UINT_PTR offset) {
    wchar_t buffer[64] = {};
    handler->GetCommandString(offset, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(buffer), 64);
    return std::wstring(buffer);
  };
  EXPECT_EQ(help(0), L"Vellumpadでﾌｧｲﾙを開きます。");
  EXPECT_EQ(help(6), L"ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙを通常のﾌｧｲﾙとして開きます。");
  EXPECT_EQ(help(8), L"名前をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします。");
}

// The save dialog's title and picker, then the message that an empty folder made no project.
TEST(ForeignCodePage, SaveDialogAndMessageBoxAreJapanese) {
  ComApartment apartment;
  TempDir dir;
  dir.MakeFolder("empty");
  const VlpdDll dll;
  ASSERT_TRUE(dll.Loaded());
  const ComRef<IDataObject> data = ShellDataObject(dir.Path(), {"empty"});

  std::vector<std::wstring> picker_entries;
  std::wstring message_title;
  std::wstring message_text;
  std::atomic<bool> dialog_found{false};
  std::thread user([&] {
    const HWND dialog = WaitForDialog(L"ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ作成");
    if (dialog == nullptr) return;
    dialog_found = true;
    HWND picker = nullptr;
    EnumChildWindows(dialog, FindPicker, reinterpret_cast<LPARAM>(&picker));
    const LRESULT count = picker != nullptr ? SendMessageW(picker, CB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t entry[32] = {};
      if (SendMessageW(picker, CB_GETLBTEXTLEN, i, 0) < 32)
        SendMessageW(picker, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
      picker_entries.push_back(entry);
    }
    SetWindowTextW(GetDlgItem(dialog, kFileNameBox), L"list");
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    const HWND box = WaitForDialog(L"VLPDMenu");
    if (box == nullptr) return;
    message_title = Text(box);
    message_text = Text(GetDlgItem(box, kMessageTextId));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  EXPECT_EQ(InvokeOnNewHandler(dll, data.Get(), MAKEINTRESOURCEA(7), nullptr, dir.Path().c_str()), S_OK);
  user.join();

  ASSERT_TRUE(dialog_found);
  EXPECT_EQ(picker_entries,
            (std::vector<std::wstring>{L"自動認識", L"ｼﾌﾄJIS", L"EUC", L"UTF8", L"UTF16BE", L"UTF16LE"}));
  EXPECT_EQ(message_title, L"VLPDMenu");
  EXPECT_EQ(message_text, L"ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙの作成に失敗しました。");
  EXPECT_FALSE(FileExists(dir / "list.vpj"));
}

}  // namespace
}  // namespace vlpd::test
