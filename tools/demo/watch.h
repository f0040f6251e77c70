// What keeps the demo from hanging: a watchdog that ends the process when a step overruns and
// bounded waits for windows and files (message boxes are answered by host/'s watcher).
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vlpd::demo {

// Ends the process with exit code 2 when an armed step is still running at its deadline: a
// modal loop or a wait inside the DLL cannot be interrupted any other way.
class Watchdog {
 public:
  Watchdog();
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  void Arm(const std::string& step, DWORD seconds);
  void Disarm();

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::string step_;
  DWORD seconds_ = 0;
  ULONGLONG deadline_ = 0;  // 0: disarmed
  bool stop_ = false;
  std::thread thread_;
};

// Visible top-level windows of this process with the given class name.
std::vector<HWND> ProcessWindows(const wchar_t* class_name);
// Polls for a visible top-level window of this process with this class and title.
HWND WaitForWindow(const wchar_t* class_name, const wchar_t* title, DWORD timeout_ms);
// Polls until `path` exists and has held the same non-zero size for a moment; false on timeout.
bool WaitForFile(const std::string& path, DWORD timeout_ms);

}  // namespace vlpd::demo
