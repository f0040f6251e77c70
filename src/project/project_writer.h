// The project list writer: one line per member that the folder walk (project/folder_walk.h)
// finds, each an optional encoding switch and a path relative to the invoking folder. Portable:
// the output file is reached through ProjectSystem.
#pragma once

#include <cstddef>

#include "project/folder_walk.h"
#include "project/project_system.h"
#include "selection/selection_list.h"
#include "text/path.h"

namespace vlpd {

// "..\" three bytes per level: 86 levels fill the 260 bytes of an up prefix.
inline constexpr std::size_t kMaxUpLevels = 86;

// What WriteMemberLines returns when the user cancelled the creation.
inline constexpr int kProjectCancelled = -1;

// Member lines are gathered and handed to ProjectSystem::Write in pieces of at most this many
// bytes: one write per line costs more than the rest of a member's work.
inline constexpr std::size_t kOutputChunk = 16384;

// Longest switch ("/U8 ", four bytes), a path of kMaxPath bytes, CR LF and the terminator.
inline constexpr std::size_t kLineBufferSize = 4 + kMaxPath + 2 + 1;

// How members are named, built once per project from the invoking folder and the first path.
struct RelativeBase {
  // Bytes of the common base at the start of a member's path; 0: no base, absolute paths.
  int base_length = 0;
  // ".\" or "..\" once per level from the common base down to the invoking folder.
  char up_prefix[kPathBufferSize] = {};
  // The common base folded with LowerAscii, to recognise members that do not start with it.
  char folded_base[kPathBufferSize] = {};
};

// Fills `base` from the invoking folder (null when the shell gave none: no common base) and the
// first selected path.
void ComputeRelativeBase(const char* invoking_folder, const char* first_path, RelativeBase& base);

// Composes a member's line (switch of `code`, relative or absolute path, CR LF) into `line`.
// The path is absolute when there is no base, the member does not begin with the base, or the
// relative text would exceed kMaxPath bytes. Returns the line's length, or 0 when the member's
// own path exceeds kMaxPath bytes and it cannot be named at all.
std::size_t ComposeMemberLine(char (&line)[kLineBufferSize], int code, const char* member,
                              const RelativeBase& base);

// Writes the lines of every member of `selection` and returns their number; 0 when a write
// failed anywhere or there is no member; kProjectCancelled when the user cancelled. `skip_path`
// (or null) names the output file when it is not the user's own name, so that it is never
// listed as a member.
int WriteMemberLines(ProjectSystem& system, const SelectionList& selection, const char* invoking_folder,
                     int member_encoding, const char* skip_path);

}  // namespace vlpd
