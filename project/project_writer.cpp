#include "project/project_writer.h"

#include <cstring>

#include "detect/encoding.h"
#include "text/sjis_string.h"

namespace vlpd {
namespace {

// Copies `text` into a path buffer; false, leaving it empty, when it is longer than kMaxPath.
bool CopyPath(char (&buffer)[kPathBufferSize], const char* text) {
  const std::size_t n = strnlen(text, kPathBufferSize);
  if (n > kMaxPath) {
    buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, text, n);
  buffer[n] = '\0';
  return true;
}

bool IsSeparatorAt(const char* text, std::size_t index) {
  return text[index] == '\\' && IsCharStart(text, text + index);
}

// True when `member` begins with the common base, letter case aside.
bool StartsWithBase(const char* member, const RelativeBase& base) {
  const auto length = static_cast<std::size_t>(base.base_length);
  if (strnlen(member, length) < length) return false;
  char head[kPathBufferSize];
  std::memcpy(head, member, length);
  head[length] = '\0';
  LowerAscii(head);
  return std::memcmp(head, base.folded_base, length) == 0;
}

// The index of the separator that ends the root of the folded folder `folder`, which ends in a
// separator: ".." never climbs above it, so a base that stops short of it would name another
// share. A network folder's root is \\server\share\ (\\?\unc\server\share\ in the long form);
// any other folder keeps the separator at index 2 (C:\) as its lowest possible base end. kNoRoot
// when a network folder names no share.
constexpr std::size_t kNoRoot = ~std::size_t{0};
std::size_t RootEnd(const char* folder) {
  if (std::strncmp(folder, "\\\\", 2) != 0) return 2;
  const std::size_t separators_to_root = std::strncmp(folder, "\\\\?\\unc\\", 8) == 0 ? 6 : 4;
  std::size_t seen = 0;
  for (std::size_t i = 0; folder[i] != '\0'; ++i) {
    if (IsSeparatorAt(folder, i) && ++seen == separators_to_root) return i;
  }
  return kNoRoot;
}

bool IsDotEntry(const char* name) {
  if (strnlen(name, 3) > 2) return false;
  return CompareText(name, ".") == 0 || CompareText(name, "..") == 0;
}

// Hands the gathered lines to the system; false once any write failed.
bool Flush(ProjectWalk& walk) {
  if (!walk.failed && walk.output_length > 0) {
    walk.failed = !walk.system.Write(walk.output, walk.output_length);
    walk.output_length = 0;
  }
  return !walk.failed;
}

// Adds one member line; false when a write failed. A member that cannot be named (its path
// exceeds kMaxPath bytes) is passed over.
bool WriteMember(ProjectWalk& walk, const char* path, int code) {
  char line[kLineBufferSize];
  const std::size_t length = ComposeMemberLine(line, code, path, walk.base);
  if (length == 0) return true;
  if (walk.output_length + length > sizeof walk.output && !Flush(walk)) return false;
  std::memcpy(walk.output + walk.output_length, line, length);
  walk.output_length += length;
  ++walk.member_count;
  return true;
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
      if (!WriteMember(walk_, path, code)) return Stop(WalkResult::kFailed);
      if (!walk_.system.KeepGoing(walk_.member_count, base_)) return Stop(WalkResult::kCancelled);
    }
    if (walk_.member_count >= kMaxMembers) return Stop(WalkResult::kLimit);
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

void ComputeRelativeBase(const char* invoking_folder, const char* first_path, RelativeBase& base) {
  base.base_length = 0;
  base.up_prefix[0] = '\0';
  base.folded_base[0] = '\0';
  if (invoking_folder == nullptr || first_path == nullptr) return;

  char folder[kPathBufferSize];
  char first[kPathBufferSize];
  if (!CopyPath(folder, invoking_folder) || !CopyPath(first, first_path)) return;
  LowerAscii(folder);
  const int separated_length = AppendSeparator(folder, sizeof folder);
  // After a lone lead byte the added backslash is that byte's trail, no separator: the folder's
  // last part could not be counted as a level, so members keep their absolute paths.
  if (separated_length < 0 || !IsSeparatorAt(folder, static_cast<std::size_t>(separated_length) - 1)) return;
  LowerAscii(first);

  // A base ends at the folder's root or below it: C:\ can be one, \\server\ not (another share
  // of the server is no folder below it).
  const std::size_t root_end = RootEnd(folder);
  std::size_t k = 0;
  bool found = false;
  for (std::size_t i = 0; i < kMaxPath && folder[i] != '\0' && folder[i] == first[i]; ++i) {
    if (i >= root_end && IsSeparatorAt(folder, i)) {
      k = i;
      found = true;
    }
  }
  if (!found) return;

  const std::size_t base_length = k + 1;
  const std::size_t folder_length = std::strlen(folder);
  if (folder_length > base_length) {
    std::size_t levels = 0;
    for (std::size_t i = base_length; i < folder_length; ++i) {
      if (IsSeparatorAt(folder, i)) ++levels;
    }
    // Deeper than an up prefix can hold: members keep their absolute paths.
    if (levels > kMaxUpLevels) return;
    for (std::size_t level = 0; level < levels; ++level) std::memcpy(base.up_prefix + 3 * level, "..\\", 3);
    base.up_prefix[3 * levels] = '\0';
  } else {
    std::memcpy(base.up_prefix, ".\\", 3);
  }
  std::memcpy(base.folded_base, folder, base_length);
  base.folded_base[base_length] = '\0';
  base.base_length = static_cast<int>(base_length);
}

std::size_t ComposeMemberLine(char (&line)[kLineBufferSize], int code, const char* member,
                              const RelativeBase& base) {
  const std::size_t member_length = strnlen(member, kPathBufferSize);
  if (member_length > kMaxPath) return 0;

  const char* encoding_switch = EncodingSwitch(code);
  std::size_t length = strnlen(encoding_switch, 5);
  if (length > 4) return 0;
  std::memcpy(line, encoding_switch, length);

  const char* prefix = "";
  const char* rest = member;
  if (base.base_length > 0 && StartsWithBase(member, base)) {
    const std::size_t prefix_length = std::strlen(base.up_prefix);
    const std::size_t rest_length = member_length - static_cast<std::size_t>(base.base_length);
    if (prefix_length + rest_length <= kMaxPath) {
      prefix = base.up_prefix;
      rest = member + base.base_length;
    }
  }
  const std::size_t prefix_length = std::strlen(prefix);
  const std::size_t rest_length = std::strlen(rest);
  std::memcpy(line + length, prefix, prefix_length);
  length += prefix_length;
  std::memcpy(line + length, rest, rest_length);
  length += rest_length;
  line[length++] = '\r';
  line[length++] = '\n';
  line[length] = '\0';
  return length;
}

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
  if (!walk.system.KeepGoing(walk.member_count, base)) return WalkResult::kCancelled;

  char pattern[kPathBufferSize];
  std::memcpy(pattern, base, static_cast<std::size_t>(base_length));
  std::memcpy(pattern + base_length, "*.*", 4);

  WalkVisitor visitor(walk, base, static_cast<std::size_t>(base_length), through_link);
  if (!walk.system.ListFolder(pattern, visitor)) return WalkResult::kDone;
  return visitor.Result();
}

int WriteMemberLines(ProjectSystem& system, const SelectionList& selection, const char* invoking_folder,
                     int member_encoding, const char* skip_path) {
  ProjectWalk walk(system);
  walk.member_encoding = member_encoding;
  if (skip_path != nullptr && CopyPath(walk.folded_skip_path, skip_path)) LowerAscii(walk.folded_skip_path);

  const int count = selection.Count();
  if (count > 0) ComputeRelativeBase(invoking_folder, selection.Name(0), walk.base);

  WalkResult result = WalkResult::kDone;
  for (int i = 0; i < count && result == WalkResult::kDone; ++i) {
    const char* path = selection.Name(i);
    const FolderEntry entry = system.Describe(path);
    if (entry.attributes == kInvalidAttributes || (entry.attributes & kAttributeTemporary) != 0) continue;
    if ((entry.attributes & kAttributeDirectory) != 0) {
      result = WalkFolderEntry(walk, path, entry.attributes, false);
    } else if (!WriteMember(walk, path, MemberCode(system, path, entry.size, member_encoding, false))) {
      result = WalkResult::kFailed;
    } else if (!system.KeepGoing(walk.member_count, path)) {
      result = WalkResult::kCancelled;
    }
    if (result == WalkResult::kDone && walk.member_count >= kMaxMembers) result = WalkResult::kLimit;
  }
  if (result == WalkResult::kCancelled) return kProjectCancelled;
  if (result == WalkResult::kFailed || !Flush(walk)) return 0;
  if (result == WalkResult::kLimit) system.ShowLimitMessage();
  return walk.member_count;
}

}  // namespace vlpd
