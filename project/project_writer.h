// The project list writer: one line per member (every selected file and every file found by
// walking the selected folders), each an optional encoding switch and a path relative to the
// invoking folder. Portable: the file system, the detector and the output file are reached
// through ProjectSystem, so the same logic runs over real folders or over supplied listings.
#pragma once

#include <cstddef>
#include <cstdint>

#include "selection/selection_list.h"
#include "text/path.h"

namespace vlpd {

// A project file holds at most this many lines.
inline constexpr int kMaxMembers = 7500;

// "..\" three bytes per level: 86 levels fill the 260 bytes of an up prefix.
inline constexpr std::size_t kMaxUpLevels = 86;

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

// Receives the entries of one folder listing, in listing order.
class FolderVisitor {
 public:
  // False ends the listing.
  virtual bool Visit(std::uint32_t attributes, const char* name) = 0;

 protected:
  ~FolderVisitor() = default;
};

// What the writer needs from the system around it.
class ProjectSystem {
 public:
  // Lists the folder entries matching `pattern` (a folder path with separator and "*.*") into
  // `visitor`. False when the listing cannot be started.
  virtual bool ListFolder(const char* pattern, FolderVisitor& visitor) = 0;
  // Attributes of a path, kInvalidAttributes when they cannot be read.
  virtual std::uint32_t Attributes(const char* path) = 0;
  // The detector's encoding code for a file: 0 to 6, negative when it could not be read.
  virtual int DetectEncoding(const char* path) = 0;
  // Appends bytes to the project file; false unless every byte was written.
  virtual bool Write(const char* data, std::size_t length) = 0;
  // Tells the user that the member limit cut the project short.
  virtual void ShowLimitMessage() = 0;

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

// Encoding code for a selected file (`walked` false) or a file found in a folder walk.
// Only asks the detector when the member encoding is automatic (0).
int MemberCode(ProjectSystem& system, const char* path, int member_encoding, bool walked);

// The one project being written: what every folder walk shares.
struct ProjectWalk {
  ProjectSystem& system;
  int member_encoding;
  RelativeBase base;
  // The file being written when it stands beside the user's file under a temporary name,
  // folded with LowerAscii; never listed. Empty for none.
  char folded_skip_path[kPathBufferSize];
  int member_count;
};

// Walks `folder` depth first, in listing order. Returns 1 when the whole folder was gone
// through; 0 when it stopped early (the limit was reached or a folder could not be listed);
// -1 when a write failed.
int WalkFolder(ProjectWalk& walk, const char* folder);

// Writes the lines of every member of `selection` and returns their number, or 0 when a write
// failed anywhere. `skip_path` (or null) names the output file when it is not the user's own
// name, so that it is never listed as a member.
int WriteMemberLines(ProjectSystem& system, const SelectionList& selection, const char* invoking_folder,
                     int member_encoding, const char* skip_path);

}  // namespace vlpd
