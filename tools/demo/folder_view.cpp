#include "tools/demo/folder_view.h"

#include <algorithm>
#include <vector>

#include "host/menu_reader.h"
#include "host/message_box_watcher.h"
#include "host/wide_text.h"
#include "tools/demo/screenshot.h"
#include "win/unique_handle.h"

namespace vlpd::demo {
namespace {

constexpr UINT_PTR kShotTimer = 1;
constexpr UINT kShotTimerMs = 300;
constexpr int kShotTicks = 20;  // give up on the submenu after this many timer ticks

constexpr int kRowTop = 40;
constexpr int kRowHeight = 24;
constexpr int kIconLeft = 18;
constexpr int kTextLeft = 42;

struct FolderView {
  std::wstring folder;
  std::vector<std::wstring> entries;  // folders first, then files
  size_t folder_count = 0;
  std::wstring highlighted;
};

struct MenuShot {
  bool active = false;
  int downs = 0;  // Down presses that reach the submenu's caption
  std::string path;
  bool opened = false;
  bool saved = false;
  int ticks = 0;
};

FolderView g_view;
MenuShot g_shot;

void ListFolder(const std::string& folder) {
  g_view.folder = test::Wide(folder);
  std::vector<std::wstring> folders;
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found{};
  FindHandle find(FindFirstFileW((g_view.folder + L"\\*").c_str(), &found));
  if (find) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : files).push_back(name);
    } while (FindNextFileW(find.Get(), &found));
  }
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  g_view.folder_count = folders.size();
  g_view.entries = folders;
  g_view.entries.insert(g_view.entries.end(), files.begin(), files.end());
}

void PaintFolderView(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  // Japanese Windows' UI font; 13 pixels high, since at 12 the bitmaps of the font Wine puts in
  // its place lose the underscores of the file names.
  const GdiObject font(CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                   L"MS UI Gothic"));
  HGDIOBJ old_font = SelectObject(dc, font ? font.Get() : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  const std::wstring heading = L"場所: " + g_view.folder;
  TextOutW(dc, kIconLeft, 12, heading.c_str(), static_cast<int>(heading.size()));
  for (size_t i = 0; i < g_view.entries.size(); ++i) {
    const int top = kRowTop + static_cast<int>(i) * kRowHeight;
    const bool highlighted = g_view.entries[i] == g_view.highlighted;
    if (highlighted) {
      RECT row{kIconLeft - 4, top - 2, client.right - 12, top + kRowHeight - 4};
      FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    // A small folder or page symbol in front of each name.
    const bool is_folder = i < g_view.folder_count;
    const GdiObject icon_brush(CreateSolidBrush(is_folder ? RGB(240, 200, 80) : RGB(255, 255, 255)));
    HGDIOBJ old_brush = SelectObject(dc, icon_brush.Get());
    Rectangle(dc, kIconLeft, top + 2, kIconLeft + 16, top + 16);
    SelectObject(dc, old_brush);
    SetTextColor(dc, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    TextOutW(dc, kTextLeft, top + 2, g_view.entries[i].c_str(), static_cast<int>(g_view.entries[i].size()));
  }
  SelectObject(dc, old_font);
  EndPaint(window, &paint);
}

void FinishMenuShot(HWND window) {
  KillTimer(window, kShotTimer);
  g_shot.active = false;
  EndMenu();
}

// One timer tick while the context menu is up: once both the menu and the submenu are on the
// screen and painted, capture them with the window and close the menu.
void MenuShotTick(HWND window) {
  ++g_shot.ticks;
  std::vector<HWND> menus = test::ProcessWindows("#32768");
  if (menus.size() >= 2) {
    if (!g_shot.opened) {
      g_shot.opened = true;
      for (HWND menu : menus) UpdateWindow(menu);
      return;
    }
    menus.push_back(window);
    g_shot.saved = SaveScreenArea(AreaOf(menus), g_shot.path);
    FinishMenuShot(window);
  } else if (g_shot.ticks >= kShotTicks) {
    FinishMenuShot(window);
  }
}

LRESULT CALLBACK FolderViewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      PaintFolderView(window);
      return 0;
    case WM_ENTERMENULOOP:
      if (g_shot.active) {
        // The menu loop reads the keys from this thread's queue: walk down to the submenu's
        // caption and open it.
        for (int i = 0; i < g_shot.downs; ++i) PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(window, WM_KEYDOWN, VK_RIGHT, 0);
        SetTimer(window, kShotTimer, kShotTimerMs, nullptr);
      }
      return 0;
    case WM_TIMER:
      if (wparam == kShotTimer && g_shot.active) MenuShotTick(window);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

HWND CreateFolderView() {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = FolderViewProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.lpszClassName = L"VlpdDemoFolderView";
  RegisterClassW(&window_class);
  const std::wstring title = g_view.folder + L" - VLPDMenu demo";
  return CreateWindowExW(0, window_class.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 24, 24, 540, 400,
                         nullptr, nullptr, window_class.hInstance, nullptr);
}

}  // namespace

HWND ShowFolderView(const std::string& folder) {
  ListFolder(folder);
  HWND window = CreateFolderView();
  if (window == nullptr) return nullptr;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return window;
}

void HighlightEntry(HWND window, const std::string& name) {
  g_view.highlighted = test::Wide(name);
  InvalidateRect(window, nullptr, TRUE);
  PumpMessages(300);
}

void PumpMessages(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  } while (GetTickCount64() < end);
}

SubmenuShot ShootSubmenu(HWND window, HMENU menu, const std::string& path) {
  int downs = 0;
  for (const test::ReadItem& item : test::ReadMenu(menu)) {
    if (item.separator) continue;
    ++downs;
    if (item.submenu != nullptr) break;
  }
  const auto row =
      std::find(g_view.entries.begin(), g_view.entries.end(), g_view.highlighted) - g_view.entries.begin();
  POINT at{kTextLeft + 110, kRowTop + static_cast<int>(row) * kRowHeight + kRowHeight / 2};
  ClientToScreen(window, &at);

  g_shot = MenuShot{};
  g_shot.active = true;
  g_shot.downs = downs;
  g_shot.path = path;
  SetForegroundWindow(window);
  TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, 0, window, nullptr);
  g_shot.active = false;
  KillTimer(window, kShotTimer);
  PumpMessages(200);
  return {g_shot.opened, g_shot.saved};
}

}  // namespace vlpd::demo
