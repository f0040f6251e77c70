#include "project/create_project.h"

#include <commdlg.h>

#include "project/encoding_picker.h"
#include "project/project_dialog.h"
#include "project/project_file.h"
#include "project/project_text.h"
#include "text/path.h"
#include "win/message_box.h"

namespace vlpd {
namespace {

// The child dialog's user slot (DWL_USER of 32-bit Windows) holds the save dialog description.
constexpr int kDialogUserSlot = 8;

// The full description with pvReserved, dwReserved and FlagsEx.
constexpr DWORD kOpenFileNameSize = 88;
static_assert(sizeof(OPENFILENAMEA) == kOpenFileNameSize, "OPENFILENAMEA must be the full 88-byte form");

// Existing files are replaced without a question: no OFN_OVERWRITEPROMPT.
constexpr DWORD kDialogFlags = OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_FILEMUSTEXIST |
                               OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING;
static_assert(kDialogFlags == 0x00A81064, "save dialog flags");

}  // namespace

UINT_PTR CALLBACK ProjectDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
  const HWND picker = GetDlgItem(dialog, kPickerControl);
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongA(dialog, kDialogUserSlot, static_cast<LONG>(lparam));
      // Inserted by position, so the list keeps this order despite CBS_SORT.
      for (int i = 0; text::kPickerEntries[i] != nullptr; ++i) {
        SendMessageA(picker, CB_INSERTSTRING, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text::kPickerEntries[i]));
      }
      SendMessageA(picker, CB_SETCURSEL, 0, 0);
      return 1;
    case WM_NOTIFY:
      return 1;
    case WM_DESTROY: {
      const auto* description =
          reinterpret_cast<const OPENFILENAMEA*>(GetWindowLongA(dialog, kDialogUserSlot));
      if (description == nullptr) return 0;
      const LRESULT position = SendMessageA(picker, CB_GETCURSEL, 0, 0);
      *reinterpret_cast<int*>(description->lCustData) = PickerEncoding(static_cast<long>(position));
      return 1;
    }
    default:
      return 0;
  }
}

void CreateProject(ShellSelection& selection, HWND owner, const char* invoking_folder, HINSTANCE module) {
  char file_name[kPathBufferSize] = "";
  int member_encoding = 0;

  OPENFILENAMEA description = {};
  description.lStructSize = kOpenFileNameSize;
  description.hwndOwner = owner;
  description.hInstance = module;
  description.lpstrFilter = text::kProjectFilter;
  description.nFilterIndex = 1;
  description.lpstrFile = file_name;
  description.nMaxFile = kMaxPath;
  description.lpstrInitialDir = invoking_folder;
  description.lpstrTitle = text::kProjectDialogTitle;
  description.Flags = kDialogFlags;
  description.lpstrDefExt = text::kProjectDefaultExtension;
  description.lCustData = reinterpret_cast<LPARAM>(&member_encoding);
  description.lpfnHook = ProjectDialogHook;
  description.lpTemplateName = MAKEINTRESOURCEA(kProjectDialogTemplate);
  if (!GetSaveFileNameA(&description)) return;

  if (FAILED(selection.Refill()) || selection.List().Count() == 0) return;
  const SaveResult result = SaveProject(file_name, selection.List(), invoking_folder, member_encoding, owner);
  selection.Free();
  if (result == SaveResult::kNotCreated || result == SaveResult::kFailed) {
    ShowMessage(text::kProjectFailed, text::kProjectFailedTitle, MB_ICONWARNING, owner);
  }
}

}  // namespace vlpd
