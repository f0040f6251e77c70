#include "project/folder_walk.h"

#include <cstring>

#include "detect/encoding.h"
#include "text/sjis_string.h"

namespace vlpd {
namespace {

bool IsDotEntry(const char* name) {
  if (strnlen(name, 3) > 2) return false;
  return CompareText(name, ".") == 0 || CompareText(name, "..") == 0;
}

// Joins a folder (ending in a separator) and an entry name; false when it exceeds `limit` bytes.
bool JoinName(char (&path)[kPathBufferSize], const char (&folder)[kPathBufferSize], std::size_t folder_length,
              const char* name, std::size_t limit) {
  const std::size_t name_length = strnlen(name, kPathBufferSize);
  if (folder_length + name_length > limit) return false;
  std::memcpy(path, folder, folder_length);
  std::memcpy(path + folder_length, name, name_length);
  path[folder_length + name_length] = '\0';
  return true;
}

class WalkVisitor final : public FolderVisitor {
 public:
  WalkVisitor(ProjectWalk& walk, const char (&base)[kPathBufferSize], std::size_t base_length,
              bool through_link)
      : walk_(walk), base_(base), base_length_(base_length), through_link_(through_link) {}

  WalkResult Result() const { return result_; }

  bool Visit(const FolderEntry& entry) override {
    if ((entry.attributes & kAttributeTemporary) != 0) return true;
    char path[kPathBufferSize];
    if ((entry.attributes & kAttributeDirectory) != 0) {
      // A subfolder is walked only when its own pattern (separator and "*.*") fits a buffer.
      if (!IsDotEntry(entry.name) && JoinName(path, base_, base_length_, entry.name, kMaxPath - 4)) {
        const WalkResult sub = WalkFolderEntry(walk_, path, entry.attributes, through_link_);
        if (sub != WalkResult::kDone) return Stop(sub);
      }
    } else if (JoinName(path, base_, base_length_, entry.name, kMaxPath) && !IsSkipped(path)) {
      const int code = MemberCode(walk_.system, path, entry.size, walk_.member_encoding, true);
      if (!walk_.members.AddMember(path, code)) return Stop(WalkResult::kFailed);
      if (!walk_.system.KeepGoing(walk_.members.MemberCount(), base_)) return Stop(WalkResult::kCancelled);
    }
    if (walk_.members.MemberCount() >= kMaxMembers) return Stop(WalkResult::kLimit);
    return true;
  }

 private:
  bool Stop(WalkResult result) {
    result_ = result;
    return false;
  }

  bool IsSkipped(const char* path) const {
    if (walk_.folded_skip_path[0] == '\0') return false;
    char folded[kPathBufferSize];
    if (!CopyPath(folded, path)) return false;
    LowerAscii(folded);
    return std::strcmp(folded, walk_.folded_skip_path) == 0;
  }

  ProjectWalk& walk_;
  const char (&base_)[kPathBufferSize];
  const std::size_t base_length_;
  const bool through_link_;
  WalkResult result_ = WalkResult::kDone;
};

}  // namespace

int MemberCode(ProjectSystem& system, const char* path, std::uint64_t size, int member_encoding,
               bool walked) {
  if (member_encoding != kEncodingAuto) return walked ? kEncodingAuto : member_encoding;
  const int detected = system.DetectEncoding(path, size);
  return detected < 0 ? kEncodingAuto : detected;
}

WalkResult WalkFolderEntry(ProjectWalk& walk, const char* folder, std::uint32_t attributes,
                           bool through_link) {
  const bool link = (attributes & kAttributeReparsePoint) != 0;
  if (link && !walk.folders.Tracking()) {
    // The first link: the folders walked so far are identified now, so that it cannot lead
    // back into any of them.
    walk.folders.StartTracking();
    for (const char* path = walk.folders.Remembered(); path < walk.folders.RememberedEnd();
         path += std::strlen(path) + 1) {
      FolderIdentity identity;
      if (walk.system.IdentifyFolder(path, identity)) walk.folders.Add(identity, false);
    }
    walk.folders.ForgetRemembered();
  }
  if (!walk.folders.Tracking()) {
    walk.folders.Remember(folder);
    return WalkFolder(walk, folder, false);
  }

  through_link = through_link || link;
  FolderIdentity identity;
  if (walk.system.IdentifyFolder(folder, identity)) {
    switch (walk.folders.Find(identity)) {
      case WalkedFolders::Seen::kThroughLink:
        return WalkResult::kDone;
      case WalkedFolders::Seen::kDirectly:
        // Only the user's own selection walks one folder twice directly.
        if (through_link) return WalkResult::kDone;
        break;
      case WalkedFolders::Seen::kNever:
        // A link whose walk cannot be recorded could lead back here without end.
        if (!walk.folders.Add(identity, through_link) && link) return WalkResult::kDone;
        break;
    }
  } else if (link) {
    // Dangling, or a target that cannot be told apart from the folders already walked.
    return WalkResult::kDone;
  }
  return WalkFolder(walk, folder, through_link);
}

WalkResult WalkFolder(ProjectWalk& walk, const char* folder, bool through_link) {
  // A folder that cannot be listed (too long, gone, no access) yields no member.
  char base[kPathBufferSize];
  if (!CopyPath(base, folder)) return WalkResult::kDone;
  const int base_length = AppendSeparator(base, sizeof base);
  if (base_length < 0 || static_cast<std::size_t>(base_length) + 3 > kMaxPath) return WalkResult::kDone;
  if (!walk.system.KeepGoing(walk.members.MemberCount(), base)) return WalkResult::kCancelled;

  char pattern[kPathBufferSize];
  std::memcpy(pattern, base, static_cast<std::size_t>(base_length));
  std::memcpy(pattern + base_length, "*.*", 4);

  WalkVisitor visitor(walk, base, static_cast<std::size_t>(base_length), through_link);
  if (!walk.system.ListFolder(pattern, visitor)) return WalkResult::kDone;
  return visitor.Result();
}

WalkResult WalkSelection(ProjectWalk& walk, const SelectionList& selection) {
  WalkResult result = WalkResult::kDone;
  for (int i = 0; i < selection.Count() && result == WalkResult::kDone; ++i) {
    const char* path = selection.Name(i);
    const FolderEntry entry = walk.system.Describe(path);
    if (entry.attributes == kInvalidAttributes || (entry.attributes & kAttributeTemporary) != 0) continue;
    if ((entry.attributes & kAttributeDirectory) != 0) {
      result = WalkFolderEntry(walk, path, entry.attributes, false);
    } else if (!walk.members.AddMember(
                   path, MemberCode(walk.system, path, entry.size, walk.member_encoding, false))) {
      result = WalkResult::kFailed;
    } else if (!walk.system.KeepGoing(walk.members.MemberCount(), path)) {
      result = WalkResult::kCancelled;
    }
    if (result == WalkResult::kDone && walk.members.MemberCount() >= kMaxMembers) result = WalkResult::kLimit;
  }
  return result;
}

}  // namespace vlpd
