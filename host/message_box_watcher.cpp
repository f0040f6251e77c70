#include "host/message_box_watcher.h"

#include <objbase.h>

#include <algorithm>
#include <utility>

#include "commands/handler_text.h"

namespace vlpd::test {
namespace {

// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

struct Search {
  const char* class_name;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindows(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (pid == GetCurrentProcessId() && lstrcmpA(cls, search->class_name) == 0 && IsWindowVisible(window)) {
    search->found.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") == 0) PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  return TRUE;
}

BOOL CALLBACK FindChildDialog(HWND child, LPARAM param) {
  char cls[16] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") != 0) return TRUE;
  *reinterpret_cast<bool*>(param) = true;
  return FALSE;
}

// A message box: a dialog with the message text's control and no dialog inside it (the save
// dialog holds one).
bool IsMessageBox(HWND dialog) {
  if (GetDlgItem(dialog, kMessageTextId) == nullptr) return false;
  bool has_child_dialog = false;
  EnumChildWindows(dialog, FindChildDialog, reinterpret_cast<LPARAM>(&has_child_dialog));
  return !has_child_dialog;
}

// The apartment type read on the thread of a window, by a hook of that thread's own.
std::atomic<int> g_read_apartment{-1};

LRESULT CALLBACK ReadApartment(int code, WPARAM wparam, LPARAM lparam) {
  APTTYPE type = APTTYPE_CURRENT;
  APTTYPEQUALIFIER qualifier;
  if (code == HC_ACTION && SUCCEEDED(CoGetApartmentType(&type, &qualifier))) g_read_apartment = type;
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

bool InSingleThreadedApartment(HWND window) {
  static std::mutex one_at_a_time;
  const std::lock_guard<std::mutex> lock(one_at_a_time);
  g_read_apartment = -1;
  HHOOK hook =
      SetWindowsHookExW(WH_CALLWNDPROC, ReadApartment, nullptr, GetWindowThreadProcessId(window, nullptr));
  if (hook == nullptr) return false;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
  UnhookWindowsHookEx(hook);
  return g_read_apartment == APTTYPE_STA || g_read_apartment == APTTYPE_MAINSTA;
}

// This process's dialogs, those with `title` only when one is given.
std::vector<HWND> Dialogs(const std::string* title) {
  std::vector<HWND> dialogs = ProcessWindows("#32770");
  if (title != nullptr) {
    dialogs.erase(std::remove_if(dialogs.begin(), dialogs.end(),
                                 [title](HWND dialog) { return WindowText(dialog) != *title; }),
                  dialogs.end());
  }
  return dialogs;
}

}  // namespace

std::vector<HWND> ProcessWindows(const char* class_name) {
  Search search{class_name, {}};
  EnumWindows(CollectWindows, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void CancelDialogsOf(DWORD thread) { EnumThreadWindows(thread, CancelDialog, 0); }

std::string WindowText(HWND window) {
  char buffer[1024] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

MessageBoxWatcher::MessageBoxWatcher()
    : MessageBoxWatcher({kHandlerName, "VLPDMenu", text::kTitleStartFailed, text::kTitleCopyFailed}) {}

MessageBoxWatcher::MessageBoxWatcher(std::set<std::string> titles)
    : titles_(std::move(titles)), thread_([this] { Run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
  stop_ = true;
  thread_.join();
}

std::vector<SeenBox> MessageBoxWatcher::Seen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

std::vector<SeenBox> MessageBoxWatcher::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(seen_, {});
}

void MessageBoxWatcher::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  seen_.clear();
}

std::vector<SeenBox> MessageBoxWatcher::WaitFor(size_t count, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout_ms) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (seen_.size() >= count) break;
    }
    Sleep(10);
  }
  return Seen();
}

void MessageBoxWatcher::Run() {
  while (!stop_) {
    Poll();
    Sleep(10);
  }
}

void MessageBoxWatcher::Poll() {
  const std::vector<HWND> dialogs = Dialogs(nullptr);
  for (HWND box : dialogs) {
    const std::string title = WindowText(box);
    if ((!titles_.empty() && titles_.count(title) == 0) || !IsMessageBox(box)) continue;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (handled_.count(box) != 0) continue;
    }
    char text[1024] = {};
    GetDlgItemTextA(box, kMessageTextId, text, sizeof text);
    const bool single_threaded = InSingleThreadedApartment(box);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      handled_.insert(box);
      seen_.push_back({title, text, static_cast<int>(dialogs.size()) - 1, single_threaded});
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
}

HWND FindDialog(const std::string& title, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout_ms) {
    std::vector<HWND> found = Dialogs(&title);
    if (!found.empty()) return found.front();
    Sleep(20);
  }
  return nullptr;
}

}  // namespace vlpd::test
