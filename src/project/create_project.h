// The create-project command: the save dialog with its member-encoding picker, then the writer.
#pragma once

#include <windows.h>

#include "selection/shell_selection.h"

namespace vlpd {

// Shows the save dialog owned by `owner` in `invoking_folder` (may be null), with its child
// template from `module`, then refills `selection` and writes the project of it.
void CreateProject(ShellSelection& selection, HWND owner, const char* invoking_folder, HINSTANCE module);

}  // namespace vlpd
