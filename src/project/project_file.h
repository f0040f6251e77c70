// Writing a project file on disk: the file is created, filled by the project list writer over
// the real folders, and kept only when it is complete.
#pragma once

#include <windows.h>

#include "selection/selection_list.h"

namespace vlpd {

enum class SaveResult {
  kNotCreated,  // the file could not be created; nothing changed on disk
  kSaved,       // the project holds at least one member
  kFailed,      // no member, or a write failed; any file the user had under that name is kept
  kCancelled,   // the user cancelled; as kFailed, but the user needs no word about it
};

// The calls of a save whose timing or effect cannot be seen from outside; tests put their own.
struct SaveCalls {
  // The clock the progress window waits on.
  DWORD(WINAPI* now)() = GetTickCount;
  // Puts the project on disk before it replaces an existing file.
  BOOL(WINAPI* flush)(HANDLE) = FlushFileBuffers;
};

// Writes the project of `selection` to `path`. Paths are relative to `invoking_folder` (may be
// null); `owner` owns the limit message and the progress window of a long creation. An existing file is
// replaced only by a complete project: the new one is written beside it under a temporary name first.
SaveResult SaveProject(const char* path, const SelectionList& selection, const char* invoking_folder,
                       int member_encoding, HWND owner, const SaveCalls& calls = {});

}  // namespace vlpd
