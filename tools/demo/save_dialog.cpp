#include "tools/demo/save_dialog.h"

#include <windows.h>

#include "host/wide_text.h"
#include "project/project_text.h"
#include "project/save_dialog_ids.h"
#include "tools/demo/console.h"
#include "tools/demo/screenshot.h"
#include "tools/demo/watch.h"
#include "win/wide_text.h"

namespace vlpd::demo {
namespace {

constexpr DWORD kWindowWaitMs = 15000;

constexpr int kFileNameEditId = 0x480;   // edt1 of the common dialogs
constexpr int kFileNameComboId = 0x47C;  // cmb13, which holds the edit in newer dialog templates

struct ChildSearch {
  int id;                     // 0: any
  const wchar_t* class_name;  // null: any
  HWND found = nullptr;
};

BOOL CALLBACK FindDescendant(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, 64);
  if ((search->id != 0 && GetDlgCtrlID(window) != search->id) ||
      (search->class_name != nullptr && lstrcmpiW(class_name, search->class_name) != 0)) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND Descendant(HWND root, int id, const wchar_t* class_name = nullptr) {
  ChildSearch search{id, class_name};
  EnumChildWindows(root, FindDescendant, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The edit control of the file-name box: inside the cmb13 combo box in Wine's and newer
// Windows' templates, the plain edt1 in older ones.
HWND FileNameEdit(HWND dialog) {
  HWND combo = GetDlgItem(dialog, kFileNameComboId);
  return combo != nullptr ? Descendant(combo, 0, L"Edit") : GetDlgItem(dialog, kFileNameEditId);
}

std::wstring ComboEntry(HWND combo, int index) {
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace

void DriveSaveDialog(SaveDialogRun& run) {
  HWND dialog =
      WaitForWindow(L"#32770", test::Wide(text::kProjectDialogTitle, kTextCodePage).c_str(), kWindowWaitMs);
  if (dialog == nullptr) {
    run.error = "the save dialog did not appear";
    return;
  }
  HWND picker = Descendant(dialog, kPickerControl);
  if (picker == nullptr) {
    run.error = "the save dialog has no encoding picker (control 1004)";
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  const LRESULT count = SendMessageW(picker, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) run.picker.push_back(Utf8(ComboEntry(picker, i)));
  run.selected = static_cast<int>(SendMessageW(picker, CB_GETCURSEL, 0, 0));

  HWND name_box = FileNameEdit(dialog);
  if (name_box != nullptr) {
    SetFocus(name_box);
    for (wchar_t c : run.name) SendMessageW(name_box, WM_CHAR, c, 1);
  }

  SendMessageW(picker, CB_SHOWDROPDOWN, TRUE, 0);
  Sleep(800);
  std::vector<HWND> shown = {dialog};
  COMBOBOXINFO combo_info{};
  combo_info.cbSize = sizeof combo_info;
  if (GetComboBoxInfo(picker, &combo_info) && combo_info.hwndList != nullptr)
    shown.push_back(combo_info.hwndList);
  run.shot_saved = SaveScreenArea(AreaOf(shown), run.screenshot);
  SendMessageW(picker, CB_SHOWDROPDOWN, FALSE, 0);

  if (name_box == nullptr) {
    run.error = "the save dialog has no file-name box";
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  const ULONGLONG end = GetTickCount64() + kWindowWaitMs;
  while (IsWindow(dialog) && GetTickCount64() < end) Sleep(50);
  if (IsWindow(dialog)) {
    run.error = "the save dialog did not close after OK";
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
}

}  // namespace vlpd::demo
