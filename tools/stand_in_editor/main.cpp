// Stand-in for Vellumpad_0150.exe. Appends its command line, bytes as they are, and CR LF to
// cmdline.txt beside itself, then "ready", then enters a message loop (the moment WaitForInputIdle
// lets its starter go) and quits at once. With the environment variable VLPD_STAND_IN_GATE set to
// a name, it takes no input until the starter's test lets it: it signals the event "<name>_waiting"
// after its command line, waits for "<name>_go" and only then goes on; without that signal within
// 30 s it appends "no go" and quits without ever taking input. With VLPD_STAND_IN_READY_AFTER_MS
// set to a number, it takes that long before it becomes ready (a slow start, for the benchmark).
// The extension fixes the command line, but the environment passes through to the editor it starts.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "win/unique_handle.h"

namespace {

constexpr DWORD kGateWaitMs = 30000;

// Waits at the gate named by VLPD_STAND_IN_GATE, if any; false when not let through.
bool PassGate() {
  char name[MAX_PATH];
  const DWORD room = sizeof name - (sizeof "_waiting" - 1);  // the longest suffix still fits
  const DWORD length = GetEnvironmentVariableA("VLPD_STAND_IN_GATE", name, room);
  if (length == 0) return true;
  if (length >= room) return false;
  std::memcpy(name + length, "_waiting", sizeof "_waiting");
  const vlpd::KernelHandle waiting(OpenEventA(EVENT_MODIFY_STATE, FALSE, name));
  std::memcpy(name + length, "_go", sizeof "_go");
  const vlpd::KernelHandle go(OpenEventA(SYNCHRONIZE, FALSE, name));
  return waiting && go && SetEvent(waiting.Get()) &&
         WaitForSingleObject(go.Get(), kGateWaitMs) == WAIT_OBJECT_0;
}

bool LogPath(char* out, DWORD size) {
  const DWORD n = GetModuleFileNameA(nullptr, out, size);
  if (n == 0 || n >= size) return false;
  char* slash = std::strrchr(out, '\\');  // ASCII search is enough: the log name follows the last one
  if (slash == nullptr) return false;
  const char kName[] = "cmdline.txt";
  if (static_cast<DWORD>(slash + 1 - out) + sizeof kName > size) return false;
  std::memcpy(slash + 1, kName, sizeof kName);
  return true;
}

void AppendLine(const char* path, const char* text) {
  const vlpd::FileHandle file(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.Get(), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
  WriteFile(file.Get(), "\r\n", 2, &written, nullptr);
}

// The first tick of the timer comes once the message loop runs: the editor has taken input.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  char log[MAX_PATH];
  if (!LogPath(log, sizeof log)) return 1;
  AppendLine(log, GetCommandLineA());
  if (!PassGate()) {
    AppendLine(log, "no go");
    return 1;
  }
  char ready_after[16];
  const DWORD length =
      GetEnvironmentVariableA("VLPD_STAND_IN_READY_AFTER_MS", ready_after, sizeof ready_after);
  if (length > 0 && length < sizeof ready_after)
    Sleep(static_cast<DWORD>(std::strtoul(ready_after, nullptr, 10)));
  AppendLine(log, "ready");

  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = "VellumpadStandIn";
  if (RegisterClassA(&window_class) == 0) return 1;
  const vlpd::WindowHandle window(CreateWindowA(window_class.lpszClassName, "Vellumpad stand-in",
                                                WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                                instance, nullptr));
  if (!window) return 1;
  SetTimer(window.Get(), 1, USER_TIMER_MINIMUM, nullptr);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
