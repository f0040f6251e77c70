#include "project/create_project.h"

#include <commdlg.h>

#include <cwchar>

#include "project/encoding_picker.h"
#include "project/project_dialog.h"
#include "project/project_file.h"
#include "project/project_text.h"
#include "text/path.h"
#include "win/ansi_path.h"
#include "win/message_box.h"
#include "win/wide_text.h"

namespace vlpd {
namespace {

// The full description with pvReserved, dwReserved and FlagsEx.
constexpr DWORD kOpenFileNameSize = sizeof(OPENFILENAMEW);
static_assert(kOpenFileNameSize == (sizeof(void*) == 4 ? 88 : 152), "OPENFILENAMEW must be the full form");

static_assert(kProjectDialogFlags ==
                  (OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_FILEMUSTEXIST | OFN_EXPLORER |
                   OFN_LONGNAMES | OFN_ENABLESIZING | OFN_NOCHANGEDIR),
              "save dialog flags");

}  // namespace

UINT_PTR CALLBACK ProjectDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
  const HWND picker = GetDlgItem(dialog, kPickerControl);
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      // Inserted by position, so the list keeps this order despite CBS_SORT.
      for (int i = 0; i < kPickerEntryCount; ++i) {
        const WideText entry(kPickerEntries[i]);
        SendMessageW(picker, CB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry.Get()));
      }
      SendMessageW(picker, CB_SETCURSEL, 0, 0);
      return 1;
    case WM_NOTIFY:
      return 1;
    case WM_DESTROY: {
      const auto* description = reinterpret_cast<const OPENFILENAMEW*>(GetWindowLongPtrW(dialog, DWLP_USER));
      if (description == nullptr) return 0;
      const LRESULT position = SendMessageW(picker, CB_GETCURSEL, 0, 0);
      *reinterpret_cast<int*>(description->lCustData) = PickerEncoding(static_cast<long>(position));
      return 1;
    }
    default:
      return 0;
  }
}

void CreateProject(ShellSelection& selection, HWND owner, const char* invoking_folder, HINSTANCE module) {
  wchar_t chosen[kPathBufferSize] = L"";
  int member_encoding = 0;
  // The invoking folder is a path in the system code page; the dialog's own texts are ours.
  wchar_t initial_folder[kPathBufferSize] = L"";
  if (invoking_folder != nullptr &&
      MultiByteToWideChar(CP_ACP, 0, invoking_folder, -1, initial_folder, kPathBufferSize) == 0) {
    initial_folder[0] = L'\0';
  }
  const WideText filter(text::kProjectFilter, sizeof text::kProjectFilter);
  const WideText title(text::kProjectDialogTitle);
  const WideText default_extension(text::kProjectDefaultExtension);

  OPENFILENAMEW description = {};
  description.lStructSize = kOpenFileNameSize;
  description.hwndOwner = owner;
  description.hInstance = module;
  description.lpstrFilter = filter.Get();
  description.nFilterIndex = 1;
  description.lpstrFile = chosen;
  description.nMaxFile = kMaxPath;
  description.lpstrInitialDir = invoking_folder != nullptr ? initial_folder : nullptr;
  description.lpstrTitle = title.Get();
  description.Flags = kProjectDialogFlags;
  description.lpstrDefExt = default_extension.Get();
  description.lCustData = reinterpret_cast<LPARAM>(&member_encoding);
  description.lpfnHook = ProjectDialogHook;
  description.lpTemplateName = MAKEINTRESOURCEW(kProjectDialogTemplate);
  if (!GetSaveFileNameW(&description)) return;

  // The chosen name in the system code page, as the writer takes it: exactly, or through the short
  // names of what exists, never best-fitted into a name that may belong to another file.
  char file_name[kAnsiPathBufferSize];
  std::size_t file_name_length = 0;
  if (ToAnsiPath(chosen, std::wcslen(chosen), file_name, &file_name_length) == AnsiPathKind::kRefused) {
    ShowMessage(text::kProjectFailed, text::kProjectFailedTitle, MB_ICONWARNING, owner);
    return;
  }
  if (FAILED(selection.Refill()) || selection.List().Count() == 0) return;
  const SaveResult result = SaveProject(file_name, selection.List(), invoking_folder, member_encoding, owner);
  selection.Free();
  if (result == SaveResult::kNotCreated || result == SaveResult::kFailed) {
    ShowMessage(text::kProjectFailed, text::kProjectFailedTitle, MB_ICONWARNING, owner);
  }
}

}  // namespace vlpd
