#include "tools/demo/watch.h"

#include <chrono>

#include "tools/demo/console.h"

namespace vlpd::demo {
namespace {

constexpr DWORD kPollMs = 50;

std::wstring WindowTextW(HWND window) {
  wchar_t buffer[1024] = {};
  GetWindowTextW(window, buffer, 1024);
  return buffer;
}

std::wstring ClassNameW(HWND window) {
  wchar_t buffer[64] = {};
  GetClassNameW(window, buffer, 64);
  return buffer;
}

struct WindowSearch {
  const wchar_t* class_name;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(window) && ClassNameW(window) == search->class_name) {
    search->found.push_back(window);
  }
  return TRUE;
}

}  // namespace

Watchdog::Watchdog() : thread_([this] { Run(); }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void Watchdog::Arm(const std::string& step, DWORD seconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  step_ = step;
  seconds_ = seconds;
  deadline_ = GetTickCount64() + seconds * 1000ULL;
}

void Watchdog::Disarm() {
  std::lock_guard<std::mutex> lock(mutex_);
  deadline_ = 0;
}

void Watchdog::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    changed_.wait_for(lock, std::chrono::milliseconds(100));
    if (deadline_ != 0 && GetTickCount64() >= deadline_) {
      Print("\nFAILED: \"" + step_ + "\" did not finish within " + std::to_string(seconds_) +
            " s; stopping the demo.\n");
      TerminateProcess(GetCurrentProcess(), 2);
    }
  }
}

std::vector<HWND> ProcessWindows(const wchar_t* class_name) {
  WindowSearch search{class_name, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const wchar_t* class_name, const wchar_t* title, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  do {
    for (HWND window : ProcessWindows(class_name)) {
      if (WindowTextW(window) == title) return window;
    }
    Sleep(kPollMs);
  } while (GetTickCount64() < end);
  return nullptr;
}

bool WaitForFile(const std::string& path, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  LONGLONG last_size = -1;
  do {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
      const LONGLONG size = (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      if (size > 0 && size == last_size) return true;
      last_size = size;
    }
    Sleep(kPollMs * 2);
  } while (GetTickCount64() < end);
  return false;
}

}  // namespace vlpd::demo
