#include "tests/support/stand_in_editor.h"

#include <windows.h>
// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

#include <string>

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
    if (process && WaitForSingleObject(process.Get(), 30000) == WAIT_TIMEOUT) {
      TerminateProcess(process.Get(), 1);
      WaitForSingleObject(process.Get(), 30000);
    }
  } while (Process32Next(snapshot.Get(), &entry));
}

namespace {
constexpr char kGateVariable[] = "VLPD_STAND_IN_GATE";  // read by the stand-in editor
}

StandInGate::StandInGate() {
  // A name of its own: a stand-in of an earlier gate may still hold that gate's events.
  static int gates = 0;
  const std::string name =
      "vlpd_stand_in_gate_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++gates);
  waiting_.Reset(CreateEventA(nullptr, FALSE, FALSE, (name + "_waiting").c_str()));
  go_.Reset(CreateEventA(nullptr, TRUE, FALSE, (name + "_go").c_str()));
  SetEnvironmentVariableA(kGateVariable, name.c_str());
}

StandInGate::~StandInGate() {
  SetEnvironmentVariableA(kGateVariable, nullptr);
  Open();
}

bool StandInGate::Reached(DWORD limit_ms) const {
  return WaitForSingleObject(waiting_.Get(), limit_ms) == WAIT_OBJECT_0;
}

bool SlowProcessStart() { return GetEnvironmentVariableA("VLPD_SLOW_PROCESS_START", nullptr, 0) > 0; }

}  // namespace vlpd::test
