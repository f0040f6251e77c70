// The project list writer: one line per member (every selected file and every file found by
// walking the selected folders), each an optional encoding switch and a path relative to the
// invoking folder. Portable: the file system, the detector and the output file are reached
// through ProjectSystem, so the same logic runs over real folders or over supplied listings.
#pragma once

#include <cstddef>
#include <cstdint>

#include "detect/detect_file_encoding.h"
#include "project/walked_folders.h"
#include "selection/selection_list.h"
#include "text/path.h"

namespace vlpd {

// A project file holds at most this many lines.
inline constexpr int kMaxMembers = 7500;

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

// One entry of a folder listing, or what the file system says of one selected path.
struct FolderEntry {
  std::uint32_t attributes = kInvalidAttributes;
  // Bytes in the file; kUnknownFileSize when the system did not say.
  std::uint64_t size = kUnknownFileSize;
  const char* name = "";  // listing entries only
};

// Receives the entries of one folder listing, in listing order.
class FolderVisitor {
 public:
  // False ends the listing.
  virtual bool Visit(const FolderEntry& entry) = 0;

 protected:
  ~FolderVisitor() = default;
};

// What the writer needs from the system around it.
class ProjectSystem {
 public:
  // Lists the folder entries matching `pattern` (a folder path with separator and "*.*") into
  // `visitor`. False when the listing cannot be started.
  virtual bool ListFolder(const char* pattern, FolderVisitor& visitor) = 0;
  // Attributes and size of a path; attributes kInvalidAttributes when they cannot be read.
  virtual FolderEntry Describe(const char* path) = 0;
  // The identity of the folder `path` leads to (through any link); false when it cannot be had
  // (a dangling link, no access).
  virtual bool IdentifyFolder(const char* path, FolderIdentity& identity) = 0;
  // The detector's encoding code for a file of `size` bytes (kUnknownFileSize: not known): 0 to 6,
  // negative when it could not be read.
  virtual int DetectEncoding(const char* path, std::uint64_t size) = 0;
  // Appends bytes to the project file; false unless every byte was written.
  virtual bool Write(const char* data, std::size_t length) = 0;
  // Tells the user that the member limit cut the project short.
  virtual void ShowLimitMessage() = 0;
  // Polled as the walk goes, once for every folder entered and every member: `member_count`
  // members so far, `place` the folder being walked (or the selected file being added). False
  // when the user cancelled the creation.
  virtual bool KeepGoing(int member_count, const char* place) = 0;

 protected:
  ~ProjectSystem() = default;
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

// The one project being written: what every folder walk shares.
struct ProjectWalk {
  explicit ProjectWalk(ProjectSystem& project_system) : system(project_system) {}

  ProjectSystem& system;
  int member_encoding = 0;
  RelativeBase base;
  // The file being written when it stands beside the user's file under a temporary name,
  // folded with LowerAscii; never listed. Empty for none.
  char folded_skip_path[kPathBufferSize] = {};
  int member_count = 0;
  WalkedFolders folders;
  // Lines not yet handed to the system; `failed` once a write failed.
  char output[kOutputChunk];
  std::size_t output_length = 0;
  bool failed = false;
};

// Walks the folder `folder`, met as an entry with `attributes` (a link, or not) below a folder
// reached through a link (`through_link`) or not. A link is followed only to a folder this
// project has not walked, and a folder walked through a link is not walked again directly.
WalkResult WalkFolderEntry(ProjectWalk& walk, const char* folder, std::uint32_t attributes,
                           bool through_link);

// Walks `folder` depth first, in listing order, whatever was walked before.
WalkResult WalkFolder(ProjectWalk& walk, const char* folder, bool through_link);

// Writes the lines of every member of `selection` and returns their number; 0 when a write
// failed anywhere or there is no member; kProjectCancelled when the user cancelled. `skip_path`
// (or null) names the output file when it is not the user's own name, so that it is never
// listed as a member.
int WriteMemberLines(ProjectSystem& system, const SelectionList& selection, const char* invoking_folder,
                     int member_encoding, const char* skip_path);

}  // namespace vlpd
