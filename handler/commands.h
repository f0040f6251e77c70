// The commands of the submenu. Each runs on the shell thread inside InvokeCommand and reports
// failures only by message box.
#pragma once

#include "selection/shell_selection.h"

namespace vlpd {

// Starts the editor on the first selected path with `encoding_switch` ("" or e.g. "/E ") and
// waits until it is ready for input.
void LaunchEditor(ShellSelection& selection, const char* encoding_switch);

// Puts the full paths of the selection on the clipboard as CF_TEXT, joined by CR LF.
void CopyNames(ShellSelection& selection);

}  // namespace vlpd
