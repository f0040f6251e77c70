// The project save dialog's flags and hook: the hook fills the member-encoding picker of the child
// dialog (its template and picker ids: project/save_dialog_ids.h) and reads the user's pick back
// when the dialog closes.
#pragma once

#include <windows.h>

#include "project/save_dialog_ids.h"

namespace vlpd {

// OFN_HIDEREADONLY, OFN_ENABLEHOOK, OFN_ENABLETEMPLATE, OFN_FILEMUSTEXIST, OFN_EXPLORER,
// OFN_LONGNAMES and OFN_ENABLESIZING. Existing files are replaced without a question: no
// OFN_OVERWRITEPROMPT. OFN_NOCHANGEDIR too: without it the dialog leaves the shell's current
// directory in the folder browsed to, and that folder cannot be deleted while the shell runs.
inline constexpr DWORD kProjectDialogFlags = 0x00A8106C;

// Explorer-style hook procedure for the child dialog. The save dialog description's lCustData
// refers to the int that receives the picked encoding code.
UINT_PTR CALLBACK ProjectDialogHook(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace vlpd
