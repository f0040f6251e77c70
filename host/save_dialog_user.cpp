#include "host/save_dialog_user.h"

#include <commdlg.h>

#include "host/message_box_watcher.h"
#include "project/project_text.h"
#include "project/save_dialog_ids.h"

namespace vlpd::test {
namespace {

constexpr int kFileNameBox = 0x47C;  // cmb13 of the explorer-style dialog

BOOL CALLBACK FindPicker(HWND window, LPARAM param) {
  if (GetDlgCtrlID(window) != kPickerControl) return TRUE;
  *reinterpret_cast<HWND*>(param) = window;
  return FALSE;
}

}  // namespace

SaveDialogUser::SaveDialogUser(SaveDialogPlan plan, DWORD shell_thread)
    : plan_(std::move(plan)), thread_([this, shell_thread] { Run(shell_thread); }) {}

SaveDialogUser::~SaveDialogUser() { Finish(); }

void SaveDialogUser::Finish() {
  if (thread_.joinable()) thread_.join();
}

void SaveDialogUser::Run(DWORD shell_thread) {
  const HWND dialog = FindDialog(text::kProjectDialogTitle, 10000);
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
  if (plan_.pick >= 0) {
    HWND picker = nullptr;
    EnumChildWindows(dialog, FindPicker, reinterpret_cast<LPARAM>(&picker));
    if (picker != nullptr) SendMessageA(picker, CB_SETCURSEL, plan_.pick, 0);
  }
  const bool cancel = plan_.file_name.empty();
  if (!cancel) SetWindowTextA(GetDlgItem(dialog, kFileNameBox), plan_.file_name.c_str());
  if (plan_.before_ok) plan_.before_ok();
  const int button = cancel ? IDCANCEL : IDOK;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

}  // namespace vlpd::test
