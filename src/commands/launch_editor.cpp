#include <windows.h>

#include <cstring>
#include <new>
#include <utility>

#include "commands/command_line.h"
#include "commands/handler_text.h"
#include "commands/install_folder.h"
#include "commands/run_command.h"
#include "text/path.h"
#include "win/message_box.h"
#include "win/module_worker.h"
#include "win/unique_handle.h"

namespace vlpd {
namespace {

// Only an absolute folder names one editor: a relative one would be looked for from the shell's
// current folder and along the search path. A quote would end the quoted executable early.
bool UsableInstallFolder(const char* folder) {
  return IsAbsolutePath(folder) && std::strchr(folder, '"') == nullptr;
}

// The started editor, waited for off the shell's thread until it takes input.
struct ReadyWait {
  KernelHandle editor;
  DWORD limit_ms;
};

void WaitUntilReady(void* context) {
  const auto* wait = static_cast<const ReadyWait*>(context);
  WaitForInputIdle(wait->editor.Get(), wait->limit_ms);
  delete wait;
}

}  // namespace

void LaunchEditor(ShellSelection& selection, const char* encoding_switch, HWND owner, DWORD ready_wait_ms) {
  char folder[kPathBufferSize];
  // A folder of 260 bytes without its separator cannot name the executable: not obtained either.
  if (GetInstallFolder(folder, sizeof folder) == 0 || !UsableInstallFolder(folder) ||
      AppendSeparator(folder, sizeof folder) < 0) {
    ShowMessage(text::kMessageNoInstallFolder, text::kTitleStartFailed, MB_ICONERROR, owner);
    return;
  }
  // The editor opens the first name: only that one is converted.
  if (FAILED(selection.Refill(1)) || selection.List().Count() < 1) return;

  // CreateProcessA may write into the command line, so it lives in a buffer of our own.
  char command_line[kCommandLineBufferSize];
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (ComposeCommandLine(command_line, sizeof command_line, folder, kEditorExeName, encoding_switch,
                         selection.List().Name(0)) < 0 ||
      !CreateProcessA(nullptr, command_line, nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process)) {
    ShowMessage(text::kMessageStartFailed, text::kTitleModule, MB_ICONWARNING, owner);
    return;
  }
  const KernelHandle thread(process.hThread);
  // Without memory or a thread for the wait, the editor is left to start on its own.
  auto* wait = new (std::nothrow) ReadyWait{KernelHandle(process.hProcess), ready_wait_ms};
  if (wait != nullptr && !StartHoldingModule(WaitUntilReady, wait)) delete wait;
}

}  // namespace vlpd
