// Plays the Windows shell for VLPDMenu.dll on the sample files, the way Explorer would: it gets
// the shell's data object for a selection, creates the handler through the registry, builds and
// shows the context menu, and chooses commands. What the handler does is printed (UTF-8) and
// two screenshots are saved.
//
// Usage: vlpd_demo.exe <samples folder> <screenshot folder>
// Exit code 0 when every step worked, 1 when a step failed, 2 when a step hung.

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "server/clsid.h"
#include "tools/demo/console.h"
#include "tools/demo/screenshot.h"
#include "tools/demo/watch.h"
#include "win/unique_handle.h"

namespace vlpd::demo {
namespace {

// The identifiers the demo grants the handler, and the handler's command offsets it uses.
constexpr UINT kFirstId = 100;
constexpr UINT kLastId = 0x7FFF;
constexpr int kCommandCount = 9;
constexpr UINT kOffsetEuc = 2;
constexpr UINT kOffsetCreateProject = 7;
constexpr UINT kOffsetCopyNames = 8;

// Items of the host's own around the handler's, as Explorer has them.
constexpr UINT kHostCut = 1;
constexpr UINT kHostCopy = 2;
constexpr UINT kHostProperties = 3;

constexpr DWORD kStepSeconds = 30;
constexpr DWORD kWindowWaitMs = 15000;
constexpr UINT_PTR kShotTimer = 1;
constexpr UINT kShotTimerMs = 300;
constexpr int kShotTicks = 20;  // give up on the submenu after this many timer ticks

constexpr wchar_t kSaveDialogTitle[] = L"ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ作成";
constexpr wchar_t kAutomaticEntry[] = L"自動認識";
constexpr wchar_t kProjectName[] = L"資料一覧表";
constexpr int kPickerId = 1004;
constexpr int kFileNameEditId = 0x480;   // edt1 of the common dialogs
constexpr int kFileNameComboId = 0x47C;  // cmb13, which holds the edit in newer dialog templates

int g_failures = 0;

void Fail(const std::string& what) {
  Print("   FAILED: " + what + "\n");
  ++g_failures;
}

std::string Narrow(const std::wstring& text, UINT code_page) {
  if (text.empty()) return {};
  const int units = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(code_page, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), units, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

// ANSI (code page 932) bytes of a UTF-8 literal of this source.
std::string Ansi(const std::string& utf8) { return Narrow(Widen(utf8, CP_UTF8), CP_ACP); }

// Where Wine's Z: drive shows a Unix path, print the Unix path.
std::string HostPath(const std::string& ansi_path) {
  std::string path = Cp932ToUtf8(ansi_path);
  if (path.size() < 3 || (path[0] != 'Z' && path[0] != 'z') || path[1] != ':') return path;
  path.erase(0, 2);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bytes.clear();
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool ReadRegistryText(HKEY root, const char* key_path, const char* value, std::string& text) {
  RegKey key;
  if (RegOpenKeyExA(root, key_path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return false;
  char buffer[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH;
  DWORD type = 0;
  if (RegQueryValueExA(key.Get(), value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  text = buffer;
  return true;
}

std::string ClsidText() {
  wchar_t text[64] = {};
  StringFromGUID2(kClsidVLPDMenu, text, 64);
  return Utf8(text);
}

// Returns how many boxes there were.
size_t ReportMessageBoxes(MessageBoxGuard& boxes) {
  const std::vector<std::string> seen = boxes.Take();
  for (const std::string& box : seen) Fail("the handler showed a message box: " + box);
  return seen.size();
}

// ---- The shell's side -------------------------------------------------------------------------

struct PidlList {
  std::vector<LPITEMIDLIST> items;
  PidlList() = default;
  PidlList(const PidlList&) = delete;
  PidlList& operator=(const PidlList&) = delete;
  ~PidlList() {
    for (LPITEMIDLIST item : items) CoTaskMemFree(item);
  }
};

// The data object Wine's shell gives for items of one folder, as Explorer passes it to handlers.
ComRef<IDataObject> ShellSelection(const std::string& folder, const std::vector<std::string>& names) {
  ComRef<IDataObject> data;
  ComRef<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Put()))) return data;
  PidlList folder_pidl;
  LPITEMIDLIST pidl = nullptr;
  std::wstring wide_folder = Widen(folder, CP_ACP);
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide_folder.data(), nullptr, &pidl, nullptr)))
    return data;
  folder_pidl.items.push_back(pidl);
  ComRef<IShellFolder> parent;
  if (FAILED(
          desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(parent.Put())))) {
    return data;
  }
  PidlList children;
  for (const std::string& name : names) {
    std::wstring wide_name = Widen(name, CP_ACP);
    LPITEMIDLIST child = nullptr;
    if (FAILED(parent->ParseDisplayName(nullptr, nullptr, wide_name.data(), nullptr, &child, nullptr)))
      return data;
    children.items.push_back(child);
  }
  parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.items.size()),
                        const_cast<LPCITEMIDLIST*>(children.items.data()), IID_IDataObject, nullptr,
                        reinterpret_cast<void**>(data.Put()));
  return data;
}

// A handler made through the registry, as the shell makes one per right-click, and initialised.
ComRef<IContextMenu> NewHandler(IDataObject* data) {
  ComRef<IContextMenu> handler;
  const HRESULT created = CoCreateInstance(kClsidVLPDMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                           reinterpret_cast<void**>(handler.Put()));
  if (FAILED(created)) {
    Fail("CoCreateInstance of " + ClsidText() + " gave 0x" +
         std::to_string(static_cast<unsigned long>(created)) + " (is VLPDMenu.dll registered?)");
    return handler;
  }
  ComRef<IShellExtInit> init;
  if (FAILED(handler->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put()))) ||
      FAILED(init->Initialize(nullptr, data, nullptr))) {
    Fail("IShellExtInit::Initialize failed");
    handler.Reset();
  }
  return handler;
}

struct PopupMenu {
  HMENU menu = CreatePopupMenu();
  PopupMenu() = default;
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;
  ~PopupMenu() {
    if (menu != nullptr) DestroyMenu(menu);
  }
};

// Fills a context menu as Explorer does: its own items, then the handler's, then its own.
// Returns the number of command identifiers the handler used, or -1 when it failed.
int BuildContextMenu(IContextMenu* handler, HMENU menu) {
  AppendMenuW(menu, MF_STRING, kHostCut, L"切り取り(&T)");
  AppendMenuW(menu, MF_STRING, kHostCopy, L"コピー(&C)");
  const HRESULT result = handler->QueryContextMenu(menu, 2, kFirstId, kLastId, CMF_NORMAL);
  AppendMenuW(menu, MF_STRING, kHostProperties, L"プロパティ(&R)");
  return SUCCEEDED(result) ? HRESULT_CODE(result) : -1;
}

std::string MenuLabel(HMENU menu, UINT item, UINT by) {
  char label[256] = {};
  GetMenuStringA(menu, item, label, sizeof label, by);
  return Cp932ToUtf8(label);
}

// Prints the menu as the user would see it, with each handler item's state and command offset,
// and its status-bar help text when `handler` is given.
void PrintMenu(HMENU menu, const std::string& indent, IContextMenu* handler) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.fType & MFT_SEPARATOR) {
      Print(indent + "────────────\n");
      continue;
    }
    const std::string label = MenuLabel(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (info.hSubMenu != nullptr) {
      Print(indent + label + "  ▶\n");
      PrintMenu(info.hSubMenu, indent + "    ", handler);
      continue;
    }
    if (info.wID < kFirstId) {
      Print(indent + PadTo(label, 20) + "(the host's own item)\n");
      continue;
    }
    const UINT offset = info.wID - kFirstId;
    std::string line = indent + PadTo(label, 20) + ((info.fState & MFS_GRAYED) ? "grayed " : "enabled") +
                       "  offset " + std::to_string(offset);
    if (handler != nullptr) {
      char help[128] = {};
      handler->GetCommandString(offset, GCS_HELPTEXTA, nullptr, help, sizeof help);
      line += "   " + Cp932ToUtf8(help);
    }
    Print(line + "\n");
  }
}

HRESULT Invoke(IContextMenu* handler, UINT offset, HWND window, const std::string& folder) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = window;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  return handler->InvokeCommand(&info);
}

// ---- The demo's window: a folder view to right-click in ----------------------------------------

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

constexpr int kRowTop = 40;
constexpr int kRowHeight = 24;
constexpr int kIconLeft = 18;
constexpr int kTextLeft = 42;

void ListFolder(const std::string& folder) {
  g_view.folder = Widen(folder, CP_ACP);
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
  GdiObject font{CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                             L"MS UI Gothic")};
  HGDIOBJ old_font =
      SelectObject(dc, font.object != nullptr ? font.object : GetStockObject(DEFAULT_GUI_FONT));
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
    GdiObject icon_brush{CreateSolidBrush(is_folder ? RGB(240, 200, 80) : RGB(255, 255, 255))};
    HGDIOBJ old_brush = SelectObject(dc, icon_brush.object);
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
  std::vector<HWND> menus = ProcessWindows(L"#32768");
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

// Shows the context menu on the folder view next to the highlighted entry, opens the handler's
// submenu with the keyboard and saves a screenshot of both.
void ShootSubmenu(HWND window, HMENU menu, const std::string& path) {
  int downs = 0;
  for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    if (info.fType & MFT_SEPARATOR) continue;
    ++downs;
    if (info.hSubMenu != nullptr) break;
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
  if (!g_shot.opened) {
    Fail("the submenu did not open on the screen");
  } else if (!g_shot.saved) {
    Fail("could not save " + HostPath(path));
  } else {
    Print("   Screenshot of the open submenu: " + HostPath(path) + "\n");
  }
}

// ---- The save dialog, driven from a second thread -----------------------------------------------

struct SaveDialogRun {
  std::string screenshot;
  std::vector<std::string> picker;  // the picker's entries, UTF-8
  int selected = -1;
  bool name_typed = false;
  bool shot_saved = false;
  bool closed = false;
  std::string error;
};

struct ChildSearch {
  int id;                     // 0: any
  const wchar_t* class_name;  // null: any
  HWND found = nullptr;
};

BOOL CALLBACK FindDescendant(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, 64);
  if ((search->id != 0 && GetDlgCtrlID(window) != search->id) ||
      (search->class_name != nullptr && lstrcmpiW(class_name, search->class_name) != 0)) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND Descendant(HWND root, int id, const wchar_t* class_name = nullptr) {
  ChildSearch search{id, class_name};
  EnumChildWindows(root, FindDescendant, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The edit control of the file-name box: inside the cmb13 combo box in Wine's and newer
// Windows' templates, the plain edt1 in older ones.
HWND FileNameEdit(HWND dialog) {
  HWND combo = GetDlgItem(dialog, kFileNameComboId);
  return combo != nullptr ? Descendant(combo, 0, L"Edit") : GetDlgItem(dialog, kFileNameEditId);
}

std::wstring ComboEntry(HWND combo, int index) {
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

// What a user does in the dialog: leaves the picker at automatic recognition, types a name,
// looks at the picker's list, and presses OK.
void DriveSaveDialog(SaveDialogRun& run) {
  HWND dialog = WaitForWindow(L"#32770", kSaveDialogTitle, kWindowWaitMs);
  if (dialog == nullptr) {
    run.error = "the save dialog did not appear";
    return;
  }
  HWND picker = Descendant(dialog, kPickerId);
  if (picker == nullptr) {
    run.error = "the save dialog has no encoding picker (control 1004)";
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  const LRESULT count = SendMessageW(picker, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) run.picker.push_back(Utf8(ComboEntry(picker, i)));
  run.selected = static_cast<int>(SendMessageW(picker, CB_GETCURSEL, 0, 0));

  HWND name_box = FileNameEdit(dialog);
  if (name_box != nullptr) {
    SetFocus(name_box);
    for (const wchar_t* c = kProjectName; *c != L'\0'; ++c) SendMessageW(name_box, WM_CHAR, *c, 1);
    run.name_typed = true;
  }

  SendMessageW(picker, CB_SHOWDROPDOWN, TRUE, 0);
  Sleep(800);
  std::vector<HWND> shown = {dialog};
  COMBOBOXINFO combo_info{};
  combo_info.cbSize = sizeof combo_info;
  if (GetComboBoxInfo(picker, &combo_info) && combo_info.hwndList != nullptr)
    shown.push_back(combo_info.hwndList);
  run.shot_saved = SaveScreenArea(AreaOf(shown), run.screenshot);
  SendMessageW(picker, CB_SHOWDROPDOWN, FALSE, 0);

  if (!run.name_typed) {
    run.error = "the save dialog has no file-name box";
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  const ULONGLONG end = GetTickCount64() + kWindowWaitMs;
  while (IsWindow(dialog) && GetTickCount64() < end) Sleep(50);
  run.closed = !IsWindow(dialog);
  if (!run.closed) {
    run.error = "the save dialog did not close after OK";
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
}

// ---- The steps ------------------------------------------------------------------------------------

struct Demo {
  std::string samples;  // ANSI
  std::string shots;    // ANSI
  HWND window = nullptr;
  Watchdog watchdog;
  MessageBoxGuard boxes;
};

// Shows the context menu for the selection and prints it; the handler stays for a command.
ComRef<IContextMenu> RightClick(Demo& demo, const std::string& folder, const std::vector<std::string>& names,
                                PopupMenu& menu, bool with_help) {
  ComRef<IDataObject> data = ShellSelection(folder, names);
  if (!data) {
    Fail("the shell gave no data object for the selection");
    return {};
  }
  ComRef<IContextMenu> handler = NewHandler(data.Get());
  if (!handler) return handler;
  demo.watchdog.Arm("building the context menu", kStepSeconds);
  const int used = BuildContextMenu(handler.Get(), menu.menu);
  demo.watchdog.Disarm();
  if (used != kCommandCount) {
    Fail("QueryContextMenu used " + std::to_string(used) + " command identifiers, not 9");
    return {};
  }
  Print("   QueryContextMenu added its 9 commands; the context menu reads:\n");
  PrintMenu(menu.menu, "     ", with_help ? handler.Get() : nullptr);
  ReportMessageBoxes(demo.boxes);
  return handler;
}

std::string ChosenLabel(HMENU menu, UINT offset) {
  return "\"" + MenuLabel(menu, kFirstId + offset, MF_BYCOMMAND) + "\" (command offset " +
         std::to_string(offset) + ")";
}

void TextFileStep(Demo& demo) {
  const std::string name = Ansi("日記_EUC.txt");
  Print("\n1. Right-click on one text file: " + Cp932ToUtf8(demo.samples + "\\" + name) + "\n");
  g_view.highlighted = Widen(name, CP_ACP);
  InvalidateRect(demo.window, nullptr, TRUE);
  PumpMessages(300);

  PopupMenu menu;
  ComRef<IContextMenu> handler = RightClick(demo, demo.samples, {name}, menu, true);
  if (!handler) return;
  demo.watchdog.Arm("showing the submenu", kStepSeconds);
  ShootSubmenu(demo.window, menu.menu, demo.shots + "\\submenu.png");
  demo.watchdog.Disarm();

  std::string install;
  if (!ReadRegistryText(HKEY_CURRENT_USER, "SOFTWARE\\kastel\\Vellumpad ver1.50", "INSTALL", install)) {
    Fail("the editor's install folder is not in the registry");
    return;
  }
  const std::string record = install + "\\cmdline.txt";
  DeleteFileA(record.c_str());
  Print("   Chose " + ChosenLabel(menu.menu, kOffsetEuc) + ".\n");
  demo.watchdog.Arm("starting the editor", kStepSeconds);
  const HRESULT result = Invoke(handler.Get(), kOffsetEuc, demo.window, demo.samples);
  demo.watchdog.Disarm();
  if (ReportMessageBoxes(demo.boxes) > 0) return;  // the box says why the editor did not start
  std::string command_line;
  if (FAILED(result)) {
    Fail("InvokeCommand failed");
  } else if (!WaitForFile(record, 10000) || !ReadWholeFile(record, command_line)) {
    Fail("the editor did not record its command line in " + Cp932ToUtf8(record));
  } else {
    // The stand-in editor records its command line as the first line.
    Print("   The editor was started with this command line:\n     " +
          Cp932ToUtf8(SplitLines(command_line).front()) + "\n");
  }
}

void ProjectFileStep(Demo& demo) {
  const std::string name = Ansi("サンプル.vpj");
  Print("\n2. Right-click on a project file: " + Cp932ToUtf8(demo.samples + "\\" + name) + "\n");
  PopupMenu menu;
  RightClick(demo, demo.samples, {name}, menu, false);
}

void FolderStep(Demo& demo) {
  const std::string name = Ansi("資料");
  Print("\n3. Right-click on a folder: " + Cp932ToUtf8(demo.samples + "\\" + name) + "\n");
  PopupMenu menu;
  ComRef<IContextMenu> handler = RightClick(demo, demo.samples, {name}, menu, false);
  if (!handler) return;

  Print("   Chose " + ChosenLabel(menu.menu, kOffsetCreateProject) + ".\n");
  const std::string project = demo.samples + "\\" + Narrow(kProjectName, CP_ACP) + ".vpj";
  SaveDialogRun run;
  run.screenshot = demo.shots + "\\save-dialog.png";
  std::thread driver([&run] { DriveSaveDialog(run); });
  demo.watchdog.Arm("creating a project file", kStepSeconds * 2);
  const HRESULT result = Invoke(handler.Get(), kOffsetCreateProject, demo.window, demo.samples);
  demo.watchdog.Disarm();
  driver.join();
  ReportMessageBoxes(demo.boxes);

  if (!run.picker.empty()) {
    std::string entries;
    for (const std::string& entry : run.picker) entries += (entries.empty() ? "" : " | ") + entry;
    Print("   The save dialog opened; its encoding picker lists: " + entries + "\n");
    const std::string selected = run.selected >= 0 && static_cast<size_t>(run.selected) < run.picker.size()
                                     ? run.picker[run.selected]
                                     : "none";
    Print("   Left the picker at " + selected + ", typed the name " + Utf8(kProjectName) +
          " and pressed OK.\n");
    if (selected != Utf8(kAutomaticEntry)) Fail("the picker did not start at " + Utf8(kAutomaticEntry));
  }
  if (!run.error.empty()) Fail(run.error);
  if (run.shot_saved) {
    Print("   Screenshot of the save dialog: " + HostPath(run.screenshot) + "\n");
  } else if (run.error.empty()) {
    Fail("could not save " + HostPath(run.screenshot));
  }

  std::string contents;
  if (FAILED(result)) {
    Fail("InvokeCommand failed");
  } else if (!ReadWholeFile(project, contents)) {
    Fail("no project file " + Cp932ToUtf8(project));
  } else {
    Print("   " + Cp932ToUtf8(project) + " now holds (paths relative to " + Cp932ToUtf8(demo.samples) +
          ", encodings detected):\n");
    for (const std::string& line : SplitLines(contents)) Print("     " + Cp932ToUtf8(line) + "\n");
  }
}

void CopyNamesStep(Demo& demo) {
  const std::string folder = demo.samples + "\\" + Ansi("資料\\表計算");
  const std::vector<std::string> names = {Ansi("売上表_SJIS.txt"), Ansi("予定表_EUC.txt")};
  Print("\n4. Two files selected in " + Cp932ToUtf8(folder) + ": " + Cp932ToUtf8(names[0]) + ", " +
        Cp932ToUtf8(names[1]) + "\n");
  ComRef<IDataObject> data = ShellSelection(folder, names);
  if (!data) {
    Fail("the shell gave no data object for the selection");
    return;
  }
  ComRef<IContextMenu> handler = NewHandler(data.Get());
  if (!handler) return;
  PopupMenu menu;
  if (BuildContextMenu(handler.Get(), menu.menu) != kCommandCount) {
    Fail("QueryContextMenu did not add the submenu");
    return;
  }
  if (OpenClipboard(demo.window)) {
    EmptyClipboard();
    CloseClipboard();
  }
  Print("   Chose " + ChosenLabel(menu.menu, kOffsetCopyNames) + ".\n");
  demo.watchdog.Arm("copying the names", kStepSeconds);
  const HRESULT result = Invoke(handler.Get(), kOffsetCopyNames, demo.window, folder);
  ReportMessageBoxes(demo.boxes);
  std::string text;
  if (SUCCEEDED(result) && OpenClipboard(demo.window)) {
    HANDLE block = GetClipboardData(CF_TEXT);
    if (block != nullptr) {
      GlobalLockGuard lock(block);
      if (lock.Data() != nullptr) text = static_cast<const char*>(lock.Data());
    }
    CloseClipboard();
  }
  demo.watchdog.Disarm();
  if (text.empty()) {
    Fail("the clipboard holds no text");
    return;
  }
  Print("   The clipboard holds (CF_TEXT, " + std::to_string(text.size()) +
        " bytes, lines joined by CR LF):\n");
  for (const std::string& line : SplitLines(text)) Print("     " + Cp932ToUtf8(line) + "\n");
}

int Run(int argc, char** argv) {
  PrepareConsole();
  if (argc != 3) {
    Print("usage: vlpd_demo.exe <samples folder> <screenshot folder>\n");
    return 1;
  }
  if (FAILED(CoInitialize(nullptr))) {
    Print("CoInitialize failed\n");
    return 1;
  }
  {
    Demo demo;
    demo.samples = argv[1];
    demo.shots = argv[2];
    Print("VLPDMenu.dll at work: this program plays Explorer on the sample files in " +
          Cp932ToUtf8(demo.samples) + "\n");
    std::string server;
    const std::string clsid = ClsidText();
    if (ReadRegistryText(HKEY_CLASSES_ROOT, Ansi("CLSID\\" + clsid + "\\InProcServer32").c_str(), nullptr,
                         server)) {
      Print("   " + clsid + " is served by " + Cp932ToUtf8(server) + " (HKCR\\CLSID\\...\\InProcServer32)\n");
    }
    std::string install;
    if (ReadRegistryText(HKEY_CURRENT_USER, "SOFTWARE\\kastel\\Vellumpad ver1.50", "INSTALL", install)) {
      Print("   The editor is installed in " + Cp932ToUtf8(install) +
            " (HKCU\\SOFTWARE\\kastel\\Vellumpad ver1.50)\n");
    }

    ListFolder(demo.samples);
    demo.window = CreateFolderView();
    if (demo.window == nullptr) {
      Print("could not create the demo window\n");
      return 1;
    }
    ShowWindow(demo.window, SW_SHOWNORMAL);
    UpdateWindow(demo.window);

    TextFileStep(demo);
    ProjectFileStep(demo);
    FolderStep(demo);
    CopyNamesStep(demo);

    DestroyWindow(demo.window);
    PumpMessages(100);
  }
  CoUninitialize();
  Print(g_failures == 0 ? "\nEvery step worked.\n"
                        : "\n" + std::to_string(g_failures) + " step(s) failed.\n");
  return g_failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vlpd::demo

int main(int argc, char** argv) { return vlpd::demo::Run(argc, argv); }
