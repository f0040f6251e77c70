// The commands of the submenu. Each runs on the shell thread inside InvokeCommand and reports
// failures only by message box.
#pragma once

#include "selection/shell_selection.h"

namespace vlpd {

// Starts the editor on the first selected path with `encoding_switch` ("" or e.g. "/E ") and
// waits, a few seconds at most, until it is ready for input.
void LaunchEditor(ShellSelection& selection, const char* encoding_switch);

// Puts the full paths of the selection on the clipboard, joined by CR LF: as CF_TEXT (the ANSI
// paths) and as CF_UNICODETEXT (the files' true names).
void CopyNames(ShellSelection& selection);

}  // namespace vlpd
