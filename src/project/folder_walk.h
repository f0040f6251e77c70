// The folder walk of project creation: every selected file, and every file found by walking the
// selected folders depth first in listing order, handed to a MemberSink with its encoding code.
// Links are followed only to folders the project has not walked yet.
#pragma once

#include <cstdint>

#include "project/project_system.h"
#include "project/walked_folders.h"
#include "selection/selection_list.h"
#include "text/path.h"

namespace vlpd {

// A project file holds at most this many lines.
inline constexpr int kMaxMembers = 7500;

// Receives the members the walk finds.
class MemberSink {
 public:
  // Adds the member `path` with encoding `code`; false when it could not be written. A member
  // that cannot be named is passed over and counts as added.
  virtual bool AddMember(const char* path, int code) = 0;
  // Members added so far.
  virtual int MemberCount() const = 0;

 protected:
  ~MemberSink() = default;
};

// Encoding code for a selected file (`walked` false) or a file found in a folder walk, of `size`
// bytes. Only asks the detector when the member encoding is automatic (0).
int MemberCode(ProjectSystem& system, const char* path, std::uint64_t size, int member_encoding, bool walked);

// How a walk ended.
enum class WalkResult {
  kDone,       // gone through (a folder that could not be listed yields no member)
  kLimit,      // the member limit was reached
  kFailed,     // a write failed
  kCancelled,  // the user cancelled
};

// The one project being walked: what every folder walk shares.
struct ProjectWalk {
  ProjectWalk(ProjectSystem& project_system, MemberSink& member_sink)
      : system(project_system), members(member_sink) {}

  ProjectSystem& system;
  MemberSink& members;
  int member_encoding = 0;
  // The file being written when it stands beside the user's file under a temporary name,
  // folded with LowerAscii; never listed. Empty for none.
  char folded_skip_path[kPathBufferSize] = {};
  WalkedFolders folders;
};

// Walks the folder `folder`, met as an entry with `attributes` (a link, or not) below a folder
// reached through a link (`through_link`) or not. A link is followed only to a folder this
// project has not walked, and a folder walked through a link is not walked again directly.
WalkResult WalkFolderEntry(ProjectWalk& walk, const char* folder, std::uint32_t attributes,
                           bool through_link);

// Walks `folder` depth first, in listing order, whatever was walked before.
WalkResult WalkFolder(ProjectWalk& walk, const char* folder, bool through_link);

// Walks every path of `selection` in order: a file is a member, a folder is walked. Paths that
// cannot be described and temporary ones are passed over.
WalkResult WalkSelection(ProjectWalk& walk, const SelectionList& selection);

}  // namespace vlpd
