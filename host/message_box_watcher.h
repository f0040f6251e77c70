// Finds this process's message boxes from a second thread, records them and presses OK, so that
// the tests and the demo run the real MessageBoxA without anyone at the keyboard. Also finds
// dialogs by title, and this process's windows by class.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vlpd::test {

struct SeenBox {
  std::string title;  // code page 932 bytes, as the window holds them
  std::string text;
  int dialogs_beside = 0;  // other visible dialogs of this process when the box was found
  // The thread that showed it is in a single-threaded apartment (the save dialog and every shell
  // namespace user need one; Wine's boxes and dialogs work without).
  bool single_threaded_apartment = false;
};

class MessageBoxWatcher {
 public:
  // Watches boxes whose title is one of `titles` (default: every title the handler uses; an
  // empty set: every box).
  MessageBoxWatcher();
  explicit MessageBoxWatcher(std::set<std::string> titles);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  std::vector<SeenBox> Seen();
  // The boxes seen since the last call, forgotten as they are handed out.
  std::vector<SeenBox> Take();
  // Forgets the boxes seen so far, so that a table of cases can check each case's own.
  void Clear();
  // Waits up to `timeout_ms` until at least `count` boxes were seen; returns what was seen.
  std::vector<SeenBox> WaitFor(size_t count, DWORD timeout_ms = 30000);

 private:
  void Run();
  void Poll();

  std::set<std::string> titles_;
  std::mutex mutex_;
  std::vector<SeenBox> seen_;
  std::set<HWND> handled_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Visible top-level windows of this process with this class name (e.g. #32768: open menus).
std::vector<HWND> ProcessWindows(const char* class_name);

// Polls for a visible top-level dialog (class #32770) of this process with exactly this title.
HWND FindDialog(const std::string& title, DWORD timeout_ms = 10000);

// Presses Cancel on every dialog (message boxes too) that `thread` shows: when the window a test
// waits for never comes, whatever came up instead must not keep the command waiting forever.
void CancelDialogsOf(DWORD thread);

// Reads a window's text as code page 932 bytes.
std::string WindowText(HWND window);

}  // namespace vlpd::test
