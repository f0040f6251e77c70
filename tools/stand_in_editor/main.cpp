// Stand-in for Vellumpad_0150.exe. Appends its command line, bytes as they are, and CR LF to
// cmdline.txt beside itself; after ~700 ms appends "ready"; only then enters a message loop (the
// moment WaitForInputIdle lets its starter go) and quits on its own after ~1 s. With the
// environment variable VLPD_STAND_IN_QUICK set it neither pauses nor lingers; with
// VLPD_STAND_IN_STALL it pauses ~20 s instead, an editor that is slow to take input. The extension
// fixes the command line, but the environment passes through to the editor it starts.
#include <windows.h>

#include <cstring>

namespace {

constexpr UINT kPauseBeforeReadyMs = 700;
constexpr UINT kStallBeforeReadyMs = 20000;
constexpr UINT kLifetimeMs = 1000;

bool Set(const char* variable) {
  char value[8];
  return GetEnvironmentVariableA(variable, value, sizeof value) > 0;
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
  const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
  WriteFile(file, "\r\n", 2, &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER) {
    KillTimer(window, wparam);
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
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
  const bool quick = Set("VLPD_STAND_IN_QUICK");
  if (!quick) Sleep(Set("VLPD_STAND_IN_STALL") ? kStallBeforeReadyMs : kPauseBeforeReadyMs);
  AppendLine(log, "ready");

  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = "VellumpadStandIn";
  if (RegisterClassA(&window_class) == 0) return 1;
  const HWND window = CreateWindowA(window_class.lpszClassName, "Vellumpad stand-in", WS_OVERLAPPEDWINDOW, 0,
                                    0, 100, 100, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  SetTimer(window, 1, quick ? USER_TIMER_MINIMUM : kLifetimeMs, nullptr);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
