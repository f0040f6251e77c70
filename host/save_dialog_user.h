// Plays the user at the create-project save dialog from a second thread: waits for the dialog,
// notes the folder it opened in, types a name and presses OK (or cancels).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace vlpd::test {

struct SaveDialogPlan {
  std::string file_name;  // typed into the name box; empty: press Cancel instead
  int pick = -1;          // encoding picker position to select; -1 leaves it alone
  // Runs on the user's thread just before OK is pressed.
  std::function<void()> before_ok;
};

// The plan of a user who types `file_name` and presses OK.
inline SaveDialogPlan TypeName(std::string file_name) {
  SaveDialogPlan plan;
  plan.file_name = std::move(file_name);
  return plan;
}

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

 private:
  void Run(DWORD shell_thread);

  SaveDialogPlan plan_;
  bool found_ = false;
  std::string opened_in_;
  std::thread thread_;
};

}  // namespace vlpd::test
