#include "project/creation_progress.h"

#include <shlguid.h>

#include <cstdio>
#include <utility>

#include "project/project_text.h"
#include "text/path.h"
#include "win/wide_text.h"

namespace vlpd {
namespace {

// Creation shorter than this shows nothing extra.
constexpr DWORD kShowAfterMs = 1000;
// Every refresh is a message to the window's own thread, so they are spaced out.
constexpr DWORD kRefreshEveryMs = 100;

constexpr DWORD kFlags = PROGDLG_NORMAL | PROGDLG_NOMINIMIZE | PROGDLG_MARQUEEPROGRESS;

}  // namespace

CreationProgress::CreationProgress(HWND owner, TickClock now) : owner_(owner), now_(now), start_(now()) {}

void CreationProgress::Close() {
  tried_ = true;
  if (!dialog_) return;
  dialog_->StopProgressDialog();
  dialog_.Reset();
}

bool CreationProgress::Update(int member_count, const char* place) {
  const DWORD now = now_();
  if (!dialog_) {
    if (tried_ || now - start_ < kShowAfterMs) return true;
    tried_ = true;
    Show();
    if (!dialog_) return true;
  } else if (now - last_refresh_ < kRefreshEveryMs) {
    return !cancelled_;
  }
  last_refresh_ = now;
  cancelled_ = dialog_->HasUserCancelled() != FALSE;
  if (cancelled_) return false;

  char count[64];
  std::snprintf(count, sizeof count, "%s%d", text::kProgressMembers, member_count);
  WCHAR wide[kPathBufferSize];
  if (MultiByteToWideChar(kTextCodePage, 0, count, -1, wide, kPathBufferSize) > 0) {
    dialog_->SetLine(1, wide, FALSE, nullptr);
  }
  // Paths come from the ANSI calls, so they are in the system code page.
  if (MultiByteToWideChar(CP_ACP, 0, place, -1, wide, kPathBufferSize) > 0) {
    dialog_->SetLine(2, wide, TRUE, nullptr);
  }
  return true;
}

void CreationProgress::Show() {
  ComRef<IProgressDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IProgressDialog,
                              reinterpret_cast<void**>(dialog.Put())))) {
    return;
  }
  WCHAR wide[64];
  if (MultiByteToWideChar(kTextCodePage, 0, text::kProjectDialogTitle, -1, wide, 64) > 0) {
    dialog->SetTitle(wide);
  }
  if (MultiByteToWideChar(kTextCodePage, 0, text::kProgressCancelling, -1, wide, 64) > 0) {
    dialog->SetCancelMsg(wide, nullptr);
  }
  if (FAILED(dialog->StartProgressDialog(owner_, nullptr, kFlags, nullptr))) return;
  dialog_ = std::move(dialog);
}

}  // namespace vlpd
