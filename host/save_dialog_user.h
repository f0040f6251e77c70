// Plays the user at the create-project save dialog from a second thread: waits for the dialog,
// notes the folder it opened in and what its encoding picker offers, types a name and presses OK
// (or cancels), and sees the dialog close.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace vlpd::test {

struct SaveDialogPlan {
  std::string file_name;  // typed into the name box; empty: press Cancel instead
  int pick = -1;          // encoding picker position to select; -1 leaves it alone
  // Runs on the user's thread just before OK is pressed, with the dialog as it then is.
  std::function<void(HWND dialog)> before_ok;
};

// The plan of a user who types `file_name` and presses OK.
inline SaveDialogPlan TypeName(std::string file_name) {
  SaveDialogPlan plan;
  plan.file_name = std::move(file_name);
  return plan;
}

// The encoding picker of the save dialog; null when it has none.
HWND EncodingPicker(HWND dialog);

class SaveDialogUser {
 public:
  // Starts at once; `shell_thread` is the thread that will show the dialog.
  explicit SaveDialogUser(SaveDialogPlan plan, DWORD shell_thread = GetCurrentThreadId());
  ~SaveDialogUser();
  SaveDialogUser(const SaveDialogUser&) = delete;
  SaveDialogUser& operator=(const SaveDialogUser&) = delete;

  // Waits until the user is done; then these tell what the dialog showed.
  void Finish();
  bool Found() const { return found_; }
  const std::string& OpenedIn() const { return opened_in_; }  // the dialog's folder, no separator at the end
  // The picker's entries as it came up, and the position selected then (-1: none).
  const std::vector<std::wstring>& PickerEntries() const { return picker_entries_; }
  int PickerSelection() const { return picker_selection_; }
  // False when the dialog was still open long after the button was pressed (it is cancelled then).
  bool Closed() const { return closed_; }

 private:
  void Run(DWORD shell_thread);

  SaveDialogPlan plan_;
  bool found_ = false;
  std::string opened_in_;
  std::vector<std::wstring> picker_entries_;
  int picker_selection_ = -1;
  bool closed_ = false;
  std::thread thread_;
};

}  // namespace vlpd::test
