#include "host/watch.h"

#include <chrono>
#include <cstdio>

namespace vlpd::test {
namespace {

constexpr DWORD kFilePollMs = 100;

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
      std::printf("\nFAILED: \"%s\" did not finish within %lu s; stopping.\n", step_.c_str(),
                  static_cast<unsigned long>(seconds_));
      std::fflush(stdout);
      TerminateProcess(GetCurrentProcess(), 2);
    }
  }
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
    Sleep(kFilePollMs);
  } while (GetTickCount64() < end);
  return false;
}

}  // namespace vlpd::test
