#include "host/save_dialog_user.h"

#include <commdlg.h>

#include "host/message_box_watcher.h"
#include "project/project_text.h"
#include "project/save_dialog_ids.h"

namespace vlpd::test {
namespace {

constexpr int kFileNameBox = 0x47C;  // cmb13 of the explorer-style dialog
constexpr DWORD kAppearMs = 10000;
constexpr DWORD kCloseMs = 15000;

BOOL CALLBACK FindPicker(HWND window, LPARAM param) {
  if (GetDlgCtrlID(window) != kPickerControl) return TRUE;
  *reinterpret_cast<HWND*>(param) = window;
  return FALSE;
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

HWND EncodingPicker(HWND dialog) {
  HWND picker = nullptr;
  EnumChildWindows(dialog, FindPicker, reinterpret_cast<LPARAM>(&picker));
  return picker;
}

SaveDialogUser::SaveDialogUser(SaveDialogPlan plan, DWORD shell_thread)
    : plan_(std::move(plan)), thread_([this, shell_thread] { Run(shell_thread); }) {}

SaveDialogUser::~SaveDialogUser() { Finish(); }

void SaveDialogUser::Finish() {
  if (thread_.joinable()) thread_.join();
}

void SaveDialogUser::Run(DWORD shell_thread) {
  const HWND dialog = FindDialog(text::kProjectDialogTitle, kAppearMs);
  if (dialog == nullptr) {
    CancelDialogsOf(shell_thread);
    return;
  }
  found_ = true;
  // The dialog is a wide one: its folder comes back in UTF-16 whichever form the message takes.
  wchar_t wide_folder[MAX_PATH] = {};
  char folder[MAX_PATH * 2] = {};
  if (SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(wide_folder)) > 0 &&
      WideCharToMultiByte(CP_ACP, 0, wide_folder, -1, folder, sizeof folder, nullptr, nullptr) > 0) {
    opened_in_ = folder;
    if (opened_in_.size() > 3 && opened_in_.back() == '\\') opened_in_.pop_back();
  }
  if (HWND picker = EncodingPicker(dialog)) {
    const LRESULT count = SendMessageW(picker, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) picker_entries_.push_back(ComboEntry(picker, i));
    picker_selection_ = static_cast<int>(SendMessageW(picker, CB_GETCURSEL, 0, 0));
    if (plan_.pick >= 0) SendMessageA(picker, CB_SETCURSEL, plan_.pick, 0);
  }
  const bool cancel = plan_.file_name.empty();
  if (!cancel) SetWindowTextA(GetDlgItem(dialog, kFileNameBox), plan_.file_name.c_str());
  if (plan_.before_ok) plan_.before_ok(dialog);
  const int button = cancel ? IDCANCEL : IDOK;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  // A dialog that stays (a name it refuses) would keep the command waiting for ever.
  const DWORD start = GetTickCount();
  while (IsWindow(dialog) && GetTickCount() - start < kCloseMs) Sleep(20);
  closed_ = !IsWindow(dialog);
  if (!closed_) CancelDialogsOf(shell_thread);
}

}  // namespace vlpd::test
