// The stand-in editor of the build tree (tools/stand_in_editor), which records the command line it
// was started with in cmdline.txt beside itself.
#pragma once

#include <windows.h>

#include <string>

#include "commands/command_line.h"
#include "win/unique_handle.h"

namespace vlpd::test {

// The stand-in editor built next to the tests: build\win32\tools\stand_in_editor.
std::string StandInEditor();

// Waits until every stand-in editor has quit (each does once it has taken input), so that its
// folder can be removed; one that outlives the limit (one held at a gate) is ended.
void WaitForStandInsToQuit();

// Set (VLPD_SLOW_PROCESS_START) where a program takes longer to start than the open command waits
// for the editor (seconds under the emulated arm64 Wine): the stand-in's record is read only once
// it has quit, and whether the command waited cannot be seen.
bool SlowProcessStart();

// While one lives, the stand-in editors started take no input until Open(): each signals that it
// waits at the gate, then waits for Open() (30 s at most, then quits recording "no go").
class StandInGate {
 public:
  StandInGate();
  ~StandInGate();

  // Whether one more stand-in reached the gate within `limit_ms` (generous: it counts, it does not time).
  bool Reached(DWORD limit_ms = 30000) const;
  void Open() const { SetEvent(go_.Get()); }

 private:
  KernelHandle waiting_;
  KernelHandle go_;
};

}  // namespace vlpd::test
