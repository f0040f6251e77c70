// What keeps a program that plays the shell from hanging: a watchdog that ends the process when a
// step overruns, and a bounded wait for a file another program writes (message boxes are answered
// by message_box_watcher.h, the save dialog by save_dialog_user.h).
#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace vlpd::test {

// Ends the process with exit code 2 when an armed step is still running at its deadline: a
// modal loop or a wait inside the DLL cannot be interrupted any other way.
class Watchdog {
 public:
  Watchdog();
  ~Watchdog();  // a thread and a lock of its own: neither copied nor moved

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

// Polls until `path` exists and has held the same non-zero size for a moment; false on timeout.
bool WaitForFile(const std::string& path, DWORD timeout_ms);

}  // namespace vlpd::test
