// The commands of the submenu. Each runs on the shell's thread (or, for the Windows 11 menu, in
// a single-threaded apartment of the invoking thread) and reports failures only by message box.
#pragma once

#include <windows.h>

#include "commands/command_table.h"
#include "commands/settings.h"
#include "selection/shell_selection.h"

namespace vlpd {

// How long a worker waits at most for the started editor to take input; the shell's thread never
// waits for it (a slow start would freeze every Explorer window).
inline constexpr DWORD kEditorReadyWaitMs = 3000;

// Starts the editor on the first selected path with `encoding_switch` ("" or e.g. "/E ") and
// returns; a worker holding the module waits, `ready_wait_ms` at most, until it is ready for
// input. A failure's message is owned by `owner` (the invoking window; may be null).
void LaunchEditor(ShellSelection& selection, const char* encoding_switch, HWND owner,
                  DWORD ready_wait_ms = kEditorReadyWaitMs);

// Puts the full paths of the selection on the clipboard, joined by CR LF: as CF_TEXT (the ANSI
// paths) and as CF_UNICODETEXT (the files' true names); each in double quotes when `quoted`.
void CopyNames(ShellSelection& selection, bool quoted);

// Runs the action of `command`'s row on the selection, for either menu: `owner` owns the save
// dialog, `invoking_folder` (may be null) is where it opens and what project paths are relative to;
// `settings` are the user's choices read for this invocation.
void RunCommand(const Command& command, ShellSelection& selection, HWND owner, const char* invoking_folder,
                const Settings& settings);

}  // namespace vlpd
