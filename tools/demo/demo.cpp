// Plays the Windows shell for VLPDMenu.dll on the sample files, the way Explorer would: it gets
// the shell's data object for a selection, creates the handler through the registry, builds and
// shows the context menu, and chooses commands; then it plays the Explorer of Windows 11 with the
// shell's item array and the command tree, and shows the classic menu of Windows 11 with and
// without the package registered. What the handler does is printed (UTF-8) and two screenshots
// are saved.
//
// Usage: vlpd_demo.exe <samples folder> <screenshot folder>
// The screenshot folder is shown in the report as given: a relative path keeps the machine's out.
// Exit code 0 when every step worked, 1 when a step failed, 2 when a step hung.

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "commands/command_table.h"
#include "commands/install_folder.h"
#include "fixtures/command_rows.h"
#include "host/classic_menu_host.h"
#include "host/explorer_host.h"
#include "host/message_box_watcher.h"
#include "host/save_dialog_user.h"
#include "host/shell_data_object.h"
#include "host/watch.h"
#include "host/wide_text.h"
#include "product.h"
#include "server/clsid.h"
#include "tools/demo/console.h"
#include "tools/demo/folder_view.h"
#include "tools/demo/menu_printer.h"
#include "tools/demo/screenshot.h"
#include "win/com_owners.h"
#include "win/unique_handle.h"

namespace vlpd::demo {
namespace {

using test::BuildContextMenu;
using test::ClsidText;
using test::InvokeCommand;
using test::InvokeWithOwner;
using test::Narrow;
using test::ShellItemArray;
using test::ShowCommand;
using test::ShownCommand;
using test::SubCommands;
using test::WaitForFile;
using test::Wide;

// The offsets of the commands the demo chooses, found in the command table by what they do.
constexpr UINT kOffsetEuc = test::OffsetOfSwitch("/E ");
constexpr UINT kOffsetCreateProject = test::OffsetOf(CommandAction::kCreateProject);
constexpr UINT kOffsetCopyNames = test::OffsetOf(CommandAction::kCopyNames);

constexpr DWORD kStepSeconds = 30;

// Where the extension finds the editor's install folder (under HKCU).
constexpr wchar_t kAutomaticEntry[] = L"自動認識";
constexpr wchar_t kProjectName[] = L"資料一覧表";

int g_failures = 0;

void Fail(const std::string& what) {
  Print("   FAILED: " + what + "\n");
  ++g_failures;
}

// ANSI (code page 932) bytes of a UTF-8 literal of this source.
std::string Ansi(const std::string& utf8) { return Narrow(Wide(utf8, CP_UTF8)); }

// The full path of `path` (ANSI), taken before anything changes the current folder (the save
// dialog may).
std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? full : path;
}

// A path as the report shows it: with the separators of the machine that runs Wine.
std::string Shown(const std::string& ansi_path) {
  std::string path = Cp932ToUtf8(ansi_path);
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
  return ReadRegistryText(HKEY_CURRENT_USER, kInstallKeyPath, "INSTALL", install);
}

// Returns how many boxes there were.
size_t ReportMessageBoxes(test::MessageBoxWatcher& boxes) {
  const std::vector<test::SeenBox> seen = boxes.Take();
  for (const test::SeenBox& box : seen) {
    Fail("the handler showed a message box: [" + Cp932ToUtf8(box.title) + "] " + Cp932ToUtf8(box.text));
  }
  return seen.size();
}

struct Demo {
  std::string samples;  // ANSI
  std::string shots;    // ANSI, as given (relative to the current folder at the start)
  std::string shots_full;
  HWND window = nullptr;
  std::string classic_command_line;  // what the editor got from the classic menu
  test::Watchdog watchdog;
  test::MessageBoxWatcher boxes{std::set<std::string>{}};  // every box

  // Where the screenshot `name` is written.
  std::string Shot(const char* name) const { return shots_full + "\\" + name; }
  void ReportScreenshot(const std::string& what, const char* name, bool saved) const {
    const std::string shown = Shown(shots + "\\" + name);
    if (saved) {
      Print("   Screenshot of " + what + ": " + shown + "\n");
    } else {
      Fail("could not save " + shown);
    }
  }
};

// The handler the shell makes for a right-click on these items of `folder` (ANSI names).
ComRef<IContextMenu> HandlerFor(const std::string& folder, const std::vector<std::string>& names) {
  ComRef<IDataObject> data = test::ShellDataObject(folder, names);
  if (!data) {
    Fail("the shell gave no data object for the selection");
    return {};
  }
  std::string error;
  ComRef<IContextMenu> handler = test::NewRegisteredHandler(data.Get(), error);
  if (!handler) Fail(error);
  return handler;
}

// Shows the context menu for the selection and prints it; the handler stays for a command.
ComRef<IContextMenu> RightClick(Demo& demo, const std::string& folder, const std::vector<std::string>& names,
                                HMENU menu, bool with_help) {
  ComRef<IContextMenu> handler = HandlerFor(folder, names);
  if (!handler) return handler;
  demo.watchdog.Arm("building the context menu", kStepSeconds);
  const int used = BuildContextMenu(handler.Get(), menu);
  demo.watchdog.Disarm();
  if (used != kCommandCount) {
    Fail("QueryContextMenu used " + std::to_string(used) + " command identifiers, not " +
         std::to_string(kCommandCount));
    return {};
  }
  Print("   QueryContextMenu added its " + std::to_string(kCommandCount) +
        " commands; the context menu reads:\n");
  PrintMenu(menu, "     ", with_help ? handler.Get() : nullptr);
  ReportMessageBoxes(demo.boxes);
  return handler;
}

// Runs `invoke`, the choice of a command that starts the editor, and prints the command line the
// stand-in editor recorded (its first line), which it returns; empty when the step failed.
template <typename Invoke>
std::string StartEditor(Demo& demo, const std::string& step, Invoke invoke) {
  std::string install;
  if (!ReadInstallFolder(install)) {
    Fail("the editor's install folder is not in the registry");
    return {};
  }
  const std::string record = install + "\\cmdline.txt";
  DeleteFileA(record.c_str());
  demo.watchdog.Arm(step, kStepSeconds);
  const HRESULT result = invoke();
  demo.watchdog.Disarm();
  if (ReportMessageBoxes(demo.boxes) > 0) return {};  // the box says why the editor did not start
  std::string recorded;
  if (FAILED(result)) {
    Fail("the command failed");
  } else if (!WaitForFile(record, 10000) || !ReadWholeFile(record, recorded)) {
    Fail("the editor did not record its command line in " + Cp932ToUtf8(record));
  } else {
    const std::string line = SplitLines(recorded).front();
    Print("   The editor was started with this command line:\n     " + Cp932ToUtf8(line) + "\n");
    return line;
  }
  return {};
}

void TextFileStep(Demo& demo) {
  const std::string name = Ansi("日記_EUC.txt");
  Print("\n1. Right-click on one text file: " + Cp932ToUtf8(demo.samples + "\\" + name) + "\n");
  HighlightEntry(demo.window, name);

  const MenuHandle menu(CreatePopupMenu());
  ComRef<IContextMenu> handler = RightClick(demo, demo.samples, {name}, menu.Get(), true);
  if (!handler) return;
  const std::string shot_path = demo.Shot("submenu.png");
  demo.watchdog.Arm("showing the submenu", kStepSeconds);
  const SubmenuShot shot = ShootSubmenu(demo.window, menu.Get(), shot_path);
  demo.watchdog.Disarm();
  if (!shot.opened) {
    Fail("the submenu did not open on the screen");
  } else {
    demo.ReportScreenshot("the open submenu", "submenu.png", shot.saved);
  }

  PrintChoice(menu.Get(), kOffsetEuc);
  demo.classic_command_line = StartEditor(demo, "starting the editor", [&] {
    return InvokeCommand(handler.Get(), MAKEINTRESOURCEA(kOffsetEuc), demo.window, demo.samples.c_str());
  });
}

void ProjectFileStep(Demo& demo) {
  const std::string name = Ansi("サンプル.vpj");
  Print("\n2. Right-click on a project file: " + Cp932ToUtf8(demo.samples + "\\" + name) + "\n");
  const MenuHandle menu(CreatePopupMenu());
  RightClick(demo, demo.samples, {name}, menu.Get(), false);
}

// Drops the save dialog's encoding picker down, saves a screenshot of the dialog with the list to
// `path`, and closes the list again.
bool ShootPickerList(HWND dialog, const std::string& path) {
  HWND picker = test::EncodingPicker(dialog);
  if (picker == nullptr) return false;
  SendMessageW(picker, CB_SHOWDROPDOWN, TRUE, 0);
  Sleep(800);  // the list paints itself
  std::vector<HWND> shown = {dialog};
  COMBOBOXINFO combo{};
  combo.cbSize = sizeof combo;
  if (GetComboBoxInfo(picker, &combo) && combo.hwndList != nullptr) shown.push_back(combo.hwndList);
  const bool saved = SaveScreenArea(AreaOf(shown), path);
  SendMessageW(picker, CB_SHOWDROPDOWN, FALSE, 0);
  return saved;
}

void FolderStep(Demo& demo) {
  const std::string name = Ansi("資料");
  Print("\n3. Right-click on a folder: " + Cp932ToUtf8(demo.samples + "\\" + name) + "\n");
  const MenuHandle menu(CreatePopupMenu());
  ComRef<IContextMenu> handler = RightClick(demo, demo.samples, {name}, menu.Get(), false);
  if (!handler) return;

  PrintChoice(menu.Get(), kOffsetCreateProject);
  const std::string project = demo.samples + "\\" + Narrow(kProjectName) + ".vpj";
  const std::string shot_path = demo.Shot("save-dialog.png");
  bool shot_saved = false;
  // The user leaves the picker at automatic recognition, types the name and, before OK, looks at
  // the picker's list, which the screenshot shows.
  test::SaveDialogPlan plan = test::TypeName(Narrow(kProjectName));
  plan.before_ok = [&shot_path, &shot_saved](HWND dialog) {
    shot_saved = ShootPickerList(dialog, shot_path);
  };
  test::SaveDialogUser user(std::move(plan));
  demo.watchdog.Arm("creating a project file", kStepSeconds * 2);
  const HRESULT result =
      InvokeCommand(handler.Get(), MAKEINTRESOURCEA(kOffsetCreateProject), demo.window, demo.samples.c_str());
  demo.watchdog.Disarm();
  user.Finish();
  ReportMessageBoxes(demo.boxes);

  const std::vector<std::wstring>& picker = user.PickerEntries();
  if (!user.Found()) {
    Fail("the save dialog did not appear");
  } else if (picker.empty()) {
    Fail("the save dialog has no encoding picker (control 1004)");
  } else {
    std::string entries;
    for (const std::wstring& entry : picker) entries += (entries.empty() ? "" : " | ") + Utf8(entry);
    Print("   The save dialog opened; its encoding picker lists: " + entries + "\n");
    const int at = user.PickerSelection();
    const std::string selected =
        at >= 0 && static_cast<size_t>(at) < picker.size() ? Utf8(picker[at]) : "none";
    Print("   Left the picker at " + selected + ", typed the name " + Utf8(kProjectName) +
          " and pressed OK.\n");
    if (selected != Utf8(kAutomaticEntry)) Fail("the picker did not start at " + Utf8(kAutomaticEntry));
    if (!user.Closed()) Fail("the save dialog did not close after OK");
    demo.ReportScreenshot("the save dialog", "save-dialog.png", shot_saved);
  }

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
  const MenuHandle menu(CreatePopupMenu());
  if (BuildContextMenu(handler.Get(), menu.Get()) != kCommandCount) {
    Fail("QueryContextMenu did not add the submenu");
    return;
  }
  {
    const ClipboardGuard clipboard(demo.window);
    if (clipboard.IsOpen()) EmptyClipboard();
  }
  PrintChoice(menu.Get(), kOffsetCopyNames);
  demo.watchdog.Arm("copying the names", kStepSeconds);
  const HRESULT result =
      InvokeCommand(handler.Get(), MAKEINTRESOURCEA(kOffsetCopyNames), demo.window, folder.c_str());
  ReportMessageBoxes(demo.boxes);
  std::string text;
  if (SUCCEEDED(result)) {
    const ClipboardGuard clipboard(demo.window);
    HANDLE block = clipboard.IsOpen() ? GetClipboardData(CF_TEXT) : nullptr;
    if (block != nullptr) {
      const GlobalLockGuard lock(block);
      if (lock.Data() != nullptr) text = static_cast<const char*>(lock.Data());
    }
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

// Windows 11's Explorer on the file of step 1: the item array Wine's shell makes of the selection,
// the root made through the registry, its subcommands, and the same command chosen.
void Windows11Step(Demo& demo) {
  const std::string name = Ansi("日記_EUC.txt");
  Print("\n5. Windows 11's menu (the top of Explorer's right-click menu) on the same file: " +
        Cp932ToUtf8(demo.samples + "\\" + name) + "\n");
  ComRef<IDataObject> data = test::ShellDataObject(demo.samples, {name});
  ComRef<IShellItemArray> items = ShellItemArray(data.Get());
  if (!items) {
    Fail("Wine's shell made no item array of the selection");
    return;
  }
  ComRef<IExplorerCommand> root;
  const HRESULT made = CoCreateInstance(kClsidVLPDCommand, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IExplorerCommand, reinterpret_cast<void**>(root.Put()));
  if (FAILED(made) || !root) {
    Fail("CoCreateInstance of the Windows 11 menu's class failed");
    return;
  }
  TaskString icon;
  root->GetIcon(items.Get(), icon.Put());
  const ShownCommand shown = ShowCommand(root.Get(), items.Get());
  Print("   " + ClsidText(kClsidVLPDCommand) +
        " made through the registry; the item array comes from Wine's shell\n");
  Print("   The root reads \"" + Utf8(shown.title) + "\", icon " + Utf8(icon ? icon.Get() : L"(none)") +
        ((shown.flags & ECF_HASSUBCOMMANDS) != 0 ? ", with subcommands" : ", without subcommands") +
        (shown.state == ECS_ENABLED ? ", shown" : ", hidden") + "; its subcommands:\n");
  const std::vector<ComRef<IExplorerCommand>> commands = SubCommands(root.Get());
  IExplorerCommand* chosen = nullptr;
  std::wstring chosen_title;
  UINT offset = 0;
  for (const ComRef<IExplorerCommand>& command : commands) {
    const ShownCommand sub = ShowCommand(command.Get(), items.Get());
    if ((sub.flags & ECF_ISSEPARATOR) != 0) {
      Print("     ────────────\n");
      continue;
    }
    Print("     " + PadTo(Utf8(sub.title), 20) +
          PadTo(sub.state == ECS_ENABLED ? "enabled" : "disabled", 10) + Utf8(sub.tip) + "\n");
    if (offset++ == kOffsetEuc) {
      chosen = command.Get();
      chosen_title = sub.title;
    }
  }
  if (commands.size() != kSubmenu.size() || chosen == nullptr || shown.state != ECS_ENABLED) {
    Fail("the root or its subcommands are not the classic submenu's");
    return;
  }
  Print("   Chose \"" + Utf8(chosen_title) + "\" and invoked it with the item array.\n");
  const std::string line = StartEditor(demo, "starting the editor from the Windows 11 menu",
                                       [&] { return InvokeWithOwner(chosen, items.Get(), demo.window); });
  if (line.empty()) return;
  if (line == demo.classic_command_line) {
    Print("   The same command line as the classic menu's in step 1.\n");
  } else {
    Fail("the command line differs from the classic menu's");
  }
}

// What the classic handler reads to tell Windows 11 with our package: the build the registry
// records, and the entry Windows keeps for each package registered for the user.
constexpr char kBuildKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kUserPackagesKey[] =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\"
    "Repository\\Packages";
constexpr char kWindows11Build[] = "22631";

// Sets the build the registry records for the demo's prefix, and puts Wine's back when it goes.
class RecordedBuild {
 public:
  explicit RecordedBuild(const char* build) {
    RegKey key;
    char text[32] = {};
    DWORD size = sizeof text - 1;
    saved_ = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBuildKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.Put()) ==
                 ERROR_SUCCESS &&
             RegQueryValueExA(key.Get(), "CurrentBuildNumber", nullptr, nullptr,
                              reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS;
    wine_ = text;
    set_ = saved_ && Write(build);
  }
  ~RecordedBuild() {
    if (saved_) Write(wine_.c_str());
  }
  RecordedBuild(const RecordedBuild&) = delete;
  RecordedBuild& operator=(const RecordedBuild&) = delete;
  bool Set() const { return set_; }
  const std::string& Wine() const { return wine_; }

 private:
  static bool Write(const char* build) {
    RegKey key;
    // The view the handler reads, whichever this program's own is.
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBuildKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, key.Put()) ==
               ERROR_SUCCESS &&
           RegSetValueExA(key.Get(), "CurrentBuildNumber", 0, REG_SZ, reinterpret_cast<const BYTE*>(build),
                          static_cast<DWORD>(std::string(build).size() + 1)) == ERROR_SUCCESS;
  }
  std::string wine_;
  bool saved_ = false;
  bool set_ = false;
};

// The classic menu that Windows 11 shows under "Show more options", on the file of step 1: once
// for a user without the package and once with it registered.
void Windows11ClassicMenu(Demo& demo) {
  const std::string name = Ansi("日記_EUC.txt");
  const RecordedBuild build(kWindows11Build);
  if (!build.Set()) {
    Fail("could not record Windows 11's build in the demo's registry");
    return;
  }
  // The DLL reads the build once per process: with none of its objects alive COM unloads it, and
  // the next right-click loads it afresh. The worker that waited for step 5's editor may hold it
  // a moment longer.
  demo.watchdog.Arm("unloading VLPDMenu.dll", kStepSeconds);
  for (int tries = 0; GetModuleHandleA("VLPDMenu.dll") != nullptr && tries < 100; ++tries) {
    CoFreeUnusedLibrariesEx(0, 0);
    PumpMessages(100);
  }
  demo.watchdog.Disarm();
  if (GetModuleHandleA("VLPDMenu.dll") != nullptr) {
    Fail("VLPDMenu.dll stayed loaded, with the build it read before");
    return;
  }
  Print("   Its classic menu (\"Show more options\") on the same file, the registry's build set to " +
        std::string(kWindows11Build) + " for this step (Wine's is " + build.Wine() + "):\n");
  // A stand-in for the entry of the registered package: the handler looks at the name alone.
  const std::string package = std::string(VLPD_PACKAGE_NAME) + "_demo";
  const std::string entry = std::string(kUserPackagesKey) + "\\" + package;
  std::string dll_folder;
  ReadRegistryText(HKEY_CLASSES_ROOT, ("CLSID\\" + ClsidText(kClsidVLPDMenu) + "\\InProcServer32").c_str(),
                   nullptr, dll_folder);
  dll_folder = dll_folder.substr(0, dll_folder.find_last_of('\\'));
  for (const bool registered : {false, true}) {
    RegKey key;
    // The entry names where the package is installed: the folder of the DLL the registry serves.
    if (registered && (RegCreateKeyExA(HKEY_CURRENT_USER, entry.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                       key.Put(), nullptr) != ERROR_SUCCESS ||
                       RegSetValueExA(key.Get(), "PackageRootFolder", 0, REG_SZ,
                                      reinterpret_cast<const BYTE*>(dll_folder.c_str()),
                                      static_cast<DWORD>(dll_folder.size() + 1)) != ERROR_SUCCESS)) {
      Fail("could not write the package's entry");
      return;
    }
    ComRef<IContextMenu> handler = HandlerFor(demo.samples, {name});
    if (!handler) return;
    const MenuHandle menu(CreatePopupMenu());
    const int used = BuildContextMenu(handler.Get(), menu.Get());
    Print(registered ? "     With " + package + " among this user's packages: "
                     : "     Without the package: ");
    Print("QueryContextMenu used " + std::to_string(used) + " command identifiers" +
          (used == 0 ? "; Windows 11 shows the package's own submenu here, so there is one, not two\n"
                     : ", the submenu \"" + std::string(VLPD_EDITOR_TITLE) + "\" as on Windows 10\n"));
    if (used != (registered ? 0 : kCommandCount)) Fail("the classic menu does not match Windows 11's");
    if (registered) {
      key.Reset();
      RegDeleteKeyA(HKEY_CURRENT_USER, entry.c_str());
    }
  }
}

int Run(int argc, char** argv) {
  PrepareConsole();
  if (argc != 3) {
    Print("usage: vlpd_demo.exe <samples folder> <screenshot folder>\n");
    return 1;
  }
  const ComApartment apartment;
  if (!apartment.Joined()) {
    Print("CoInitialize failed\n");
    return 1;
  }
  {
    Demo demo;
    demo.samples = argv[1];
    demo.shots = argv[2];
    demo.shots_full = FullPath(demo.shots);
    Print("VLPDMenu.dll at work: this program plays Explorer on the sample files in " +
          Cp932ToUtf8(demo.samples) + "\n");
    std::string server;
    const std::string clsid = ClsidText(kClsidVLPDMenu);
    if (ReadRegistryText(HKEY_CLASSES_ROOT, Ansi("CLSID\\" + clsid + "\\InProcServer32").c_str(), nullptr,
                         server)) {
      Print("   " + clsid + " is served by " + Cp932ToUtf8(server) + " (HKCR\\CLSID\\...\\InProcServer32)\n");
    }
    std::string install;
    if (ReadInstallFolder(install)) {
      Print("   The editor is installed in " + Cp932ToUtf8(install) + " (HKCU\\" + kInstallKeyPath + ")\n");
    }

    WindowHandle window(ShowFolderView(demo.samples));
    demo.window = window.Get();
    if (!window) {
      Print("could not create the demo window\n");
      return 1;
    }

    TextFileStep(demo);
    ProjectFileStep(demo);
    FolderStep(demo);
    CopyNamesStep(demo);
    Windows11Step(demo);
    Windows11ClassicMenu(demo);

    window.Reset();
    PumpMessages(100);
  }
  Print(g_failures == 0 ? "\nEvery step worked.\n"
                        : "\n" + std::to_string(g_failures) + " step(s) failed.\n");
  return g_failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vlpd::demo

int main(int argc, char** argv) { return vlpd::demo::Run(argc, argv); }
