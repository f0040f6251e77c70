// A user at the handler's project save dialog, played from a second thread while the thread
// that chose the command waits in the dialog's modal loop.
#pragma once

#include <string>
#include <vector>

namespace vlpd::demo {

struct SaveDialogRun {
  std::wstring name;                // the file name to type
  std::string screenshot;           // where the screenshot goes (ANSI path)
  std::vector<std::string> picker;  // the picker's entries, UTF-8
  int selected = -1;
  bool shot_saved = false;
  std::string error;
};

// What a user does in the dialog: leaves the picker at automatic recognition, types the name,
// looks at the picker's list, and presses OK.
void DriveSaveDialog(SaveDialogRun& run);

}  // namespace vlpd::demo
