#include "tests/support/stand_in_editor.h"

#include <windows.h>
// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

#include "host/vlpd_dll.h"
#include "win/unique_handle.h"

namespace vlpd::test {

std::string StandInEditor() {
  return FindInBuildTree(std::string("tools\\stand_in_editor\\") + kEditorExeName);
}

void WaitForStandInsToQuit() {
  FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  if (!Process32First(snapshot.Get(), &entry)) return;
  do {
    if (lstrcmpiA(entry.szExeFile, kEditorExeName) != 0) continue;
    const KernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
    if (process && WaitForSingleObject(process.Get(), 5000) == WAIT_TIMEOUT) {
      TerminateProcess(process.Get(), 1);
      WaitForSingleObject(process.Get(), 5000);
    }
  } while (Process32Next(snapshot.Get(), &entry));
}

bool SlowProcessStart() { return GetEnvironmentVariableA("VLPD_SLOW_PROCESS_START", nullptr, 0) > 0; }

}  // namespace vlpd::test
