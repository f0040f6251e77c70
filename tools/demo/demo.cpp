// Plays the Windows shell for VLPDMenu.dll on the sample files, the way Explorer would: it gets
// the shell's data object for a selection, creates the handler through the registry, builds and
// shows the context menu, and chooses commands. What the handler does is printed (UTF-8) and
// two screenshots are saved.
//
// Usage: vlpd_demo.exe <samples folder> <screenshot folder>
// Exit code 0 when every step worked, 1 when a step failed, 2 when a step hung.

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "handler/command_table.h"
#include "tests/host/message_box_watcher.h"
#include "tests/host/shell_data_object.h"
#include "tools/demo/console.h"
#include "tools/demo/folder_view.h"
#include "tools/demo/menu_printer.h"
#include "tools/demo/save_dialog.h"
#include "tools/demo/shell_host.h"
#include "tools/demo/watch.h"
#include "win/unique_handle.h"

namespace vlpd::demo {
namespace {

// The offsets of the commands the demo chooses.
constexpr UINT kOffsetEuc = 2;
constexpr UINT kOffsetCreateProject = 7;
constexpr UINT kOffsetCopyNames = 8;

constexpr DWORD kStepSeconds = 30;

// Where the extension finds the editor's install folder (under HKCU).
constexpr char kEditorKey[] = "SOFTWARE\\kastel\\Vellumpad ver1.50";
constexpr wchar_t kAutomaticEntry[] = L"自動認識";
constexpr wchar_t kProjectName[] = L"資料一覧表";

int g_failures = 0;

void Fail(const std::string& what) {
  Print("   FAILED: " + what + "\n");
  ++g_failures;
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

// Prints each line of the code page 932 text, indented below the step's last line.
void PrintLines(const std::string& text) {
  for (const std::string& line : SplitLines(text)) Print("     " + Cp932ToUtf8(line) + "\n");
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

bool ReadInstallFolder(std::string& install) {
  return ReadRegistryText(HKEY_CURRENT_USER, kEditorKey, "INSTALL", install);
}

// Returns how many boxes there were.
size_t ReportMessageBoxes(test::MessageBoxWatcher& boxes) {
  const std::vector<test::SeenBox> seen = boxes.Take();
  for (const test::SeenBox& box : seen) {
    Fail("the handler showed a message box: [" + Cp932ToUtf8(box.title) + "] " + Cp932ToUtf8(box.text));
  }
  return seen.size();
}

void ReportScreenshot(const std::string& what, const std::string& path, bool saved) {
  if (saved) {
    Print("   Screenshot of " + what + ": " + HostPath(path) + "\n");
  } else {
    Fail("could not save " + HostPath(path));
  }
}

struct Demo {
  std::string samples;  // ANSI
  std::string shots;    // ANSI
  HWND window = nullptr;
  Watchdog watchdog;
  test::MessageBoxWatcher boxes{std::set<std::string>{}};  // every box
};

// The handler the shell makes for a right-click on these items of `folder` (ANSI names).
ComRef<IContextMenu> HandlerFor(const std::string& folder, const std::vector<std::string>& names) {
  ComRef<IDataObject> data = test::ShellDataObject(folder, names);
  if (!data) {
    Fail("the shell gave no data object for the selection");
    return {};
  }
  std::string error;
  ComRef<IContextMenu> handler = NewHandler(data.Get(), error);
  if (!handler) Fail(error);
  return handler;
}

// Shows the context menu for the selection and prints it; the handler stays for a command.
ComRef<IContextMenu> RightClick(Demo& demo, const std::string& folder, const std::vector<std::string>& names,
                                PopupMenu& menu, bool with_help) {
  ComRef<IContextMenu> handler = HandlerFor(folder, names);
  if (!handler) return handler;
  demo.watchdog.Arm("building the context menu", kStepSeconds);
  const int used = BuildContextMenu(handler.Get(), menu.menu);
  demo.watchdog.Disarm();
  if (used != kCommandCount) {
    Fail("QueryContextMenu used " + std::to_string(used) + " command identifiers, not " +
         std::to_string(kCommandCount));
    return {};
  }
  Print("   QueryContextMenu added its " + std::to_string(kCommandCount) +
        " commands; the context menu reads:\n");
  PrintMenu(menu.menu, "     ", with_help ? handler.Get() : nullptr);
  ReportMessageBoxes(demo.boxes);
  return handler;
}

void TextFileStep(Demo& demo) {
  const std::string name = Ansi("日記_EUC.txt");
  Print("\n1. Right-click on one text file: " + Cp932ToUtf8(demo.samples + "\\" + name) + "\n");
  HighlightEntry(demo.window, name);

  PopupMenu menu;
  ComRef<IContextMenu> handler = RightClick(demo, demo.samples, {name}, menu, true);
  if (!handler) return;
  const std::string shot_path = demo.shots + "\\submenu.png";
  demo.watchdog.Arm("showing the submenu", kStepSeconds);
  const SubmenuShot shot = ShootSubmenu(demo.window, menu.menu, shot_path);
  demo.watchdog.Disarm();
  if (!shot.opened) {
    Fail("the submenu did not open on the screen");
  } else {
    ReportScreenshot("the open submenu", shot_path, shot.saved);
  }

  std::string install;
  if (!ReadInstallFolder(install)) {
    Fail("the editor's install folder is not in the registry");
    return;
  }
  const std::string record = install + "\\cmdline.txt";
  DeleteFileA(record.c_str());
  PrintChoice(menu.menu, kOffsetEuc);
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

  PrintChoice(menu.menu, kOffsetCreateProject);
  const std::string project = demo.samples + "\\" + Narrow(kProjectName, CP_ACP) + ".vpj";
  SaveDialogRun run;
  run.name = kProjectName;
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
  if (run.shot_saved || run.error.empty())
    ReportScreenshot("the save dialog", run.screenshot, run.shot_saved);

  std::string contents;
  if (FAILED(result)) {
    Fail("InvokeCommand failed");
  } else if (!ReadWholeFile(project, contents)) {
    Fail("no project file " + Cp932ToUtf8(project));
  } else {
    Print("   " + Cp932ToUtf8(project) + " now holds (paths relative to " + Cp932ToUtf8(demo.samples) +
          ", encodings detected):\n");
    PrintLines(contents);
  }
}

void CopyNamesStep(Demo& demo) {
  const std::string folder = demo.samples + "\\" + Ansi("資料\\表計算");
  const std::vector<std::string> names = {Ansi("売上表_SJIS.txt"), Ansi("予定表_EUC.txt")};
  Print("\n4. Two files selected in " + Cp932ToUtf8(folder) + ": " + Cp932ToUtf8(names[0]) + ", " +
        Cp932ToUtf8(names[1]) + "\n");
  ComRef<IContextMenu> handler = HandlerFor(folder, names);
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
  PrintChoice(menu.menu, kOffsetCopyNames);
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
  PrintLines(text);
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
    if (ReadInstallFolder(install)) {
      Print("   The editor is installed in " + Cp932ToUtf8(install) + " (HKCU\\" + kEditorKey + ")\n");
    }

    demo.window = ShowFolderView(demo.samples);
    if (demo.window == nullptr) {
      Print("could not create the demo window\n");
      return 1;
    }

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
