// The stand-in editor of the build tree (tools/stand_in_editor), which records the command line it
// was started with in cmdline.txt beside itself.
#pragma once

#include <string>

#include "commands/command_line.h"

namespace vlpd::test {

inline constexpr char kQuickStandIn[] = "VLPD_STAND_IN_QUICK";  // read by the stand-in editor

// The stand-in editor built next to the tests: build\win32\tools\stand_in_editor.
std::string StandInEditor();

// Waits until every stand-in editor has quit (each does after about a second), so that its
// folder can be removed; one that outlives the limit (a stalled one) is ended.
void WaitForStandInsToQuit();

// Set (VLPD_SLOW_PROCESS_START) where a program takes longer to start than the open command waits
// for the editor (seconds under the emulated arm64 Wine): the stand-in's record is read only once
// it has quit, and whether the command waited cannot be seen.
bool SlowProcessStart();

}  // namespace vlpd::test
