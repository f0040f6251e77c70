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

bool IsDotEntry(const char* name) {
  if (strnlen(name, 3) > 2) return false;
  return CompareText(name, ".") == 0 || CompareText(name, "..") == 0;
}

// Writes one member line; false when the write failed. A member that cannot be named (its
// path exceeds kMaxPath bytes) is passed over.
bool WriteMember(ProjectWalk& walk, const char* path, int code) {
  char line[kLineBufferSize];
  const std::size_t length = ComposeMemberLine(line, code, path, walk.base);
  if (length == 0) return true;
  if (!walk.system.Write(line, length)) return false;
  ++walk.member_count;
  return true;
}

class WalkVisitor final : public FolderVisitor {
 public:
  WalkVisitor(ProjectWalk& walk, const char (&base)[kPathBufferSize], std::size_t base_length)
      : walk_(walk), base_(base), base_length_(base_length) {}

  int Result() const { return result_; }

  bool Visit(std::uint32_t attributes, const char* name) override {
    if ((attributes & kAttributeTemporary) != 0) return true;
    const std::size_t name_length = strnlen(name, kPathBufferSize);
    if ((attributes & kAttributeDirectory) != 0) {
      if (!IsDotEntry(name)) {
        // A subfolder is walked only when its own pattern (separator and "*.*") fits a buffer.
        if (base_length_ + name_length + 4 <= kMaxPath) {
          char folder[kPathBufferSize];
          std::memcpy(folder, base_, base_length_);
          std::memcpy(folder + base_length_, name, name_length);
          folder[base_length_ + name_length] = '\0';
          const int sub = WalkFolder(walk_, folder);
          if (sub != 1) return Stop(sub);
        }
      }
    } else if (base_length_ + name_length <= kMaxPath) {
      char path[kPathBufferSize];
      std::memcpy(path, base_, base_length_);
      std::memcpy(path + base_length_, name, name_length);
      path[base_length_ + name_length] = '\0';
      if (IsSkipped(path)) return true;
      if (!WriteMember(walk_, path, MemberCode(walk_.system, path, walk_.member_encoding, true)))
        return Stop(-1);
    }
    if (walk_.member_count >= kMaxMembers) return Stop(0);
    return true;
  }

 private:
  bool Stop(int result) {
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
  int result_ = 1;
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

  // A backslash at index 0 or 1 never ends a base: C:\ can be one, the \\ of a network path not.
  std::size_t k = 0;
  bool found = false;
  for (std::size_t i = 0; i < kMaxPath && folder[i] != '\0' && folder[i] == first[i]; ++i) {
    if (i >= 2 && IsSeparatorAt(folder, i)) {
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

int MemberCode(ProjectSystem& system, const char* path, int member_encoding, bool walked) {
  if (member_encoding != kEncodingAuto) return walked ? kEncodingAuto : member_encoding;
  const int detected = system.DetectEncoding(path);
  return detected < 0 ? kEncodingAuto : detected;
}

int WalkFolder(ProjectWalk& walk, const char* folder) {
  char base[kPathBufferSize];
  if (!CopyPath(base, folder)) return 0;
  const int base_length = AppendSeparator(base, sizeof base);
  if (base_length < 0 || static_cast<std::size_t>(base_length) + 3 > kMaxPath) return 0;

  char pattern[kPathBufferSize];
  std::memcpy(pattern, base, static_cast<std::size_t>(base_length));
  std::memcpy(pattern + base_length, "*.*", 4);

  WalkVisitor visitor(walk, base, static_cast<std::size_t>(base_length));
  if (!walk.system.ListFolder(pattern, visitor)) return 0;
  return visitor.Result();
}

int WriteMemberLines(ProjectSystem& system, const SelectionList& selection, const char* invoking_folder,
                     int member_encoding, const char* skip_path) {
  ProjectWalk walk{system, member_encoding, {}, {}, 0};
  if (skip_path != nullptr && CopyPath(walk.folded_skip_path, skip_path)) LowerAscii(walk.folded_skip_path);

  const int count = selection.Count();
  if (count > 0) ComputeRelativeBase(invoking_folder, selection.Name(0), walk.base);

  for (int i = 0; i < count; ++i) {
    const char* path = selection.Name(i);
    const std::uint32_t attributes = system.Attributes(path);
    if (attributes == kInvalidAttributes || (attributes & kAttributeTemporary) != 0) continue;
    if ((attributes & kAttributeDirectory) != 0) {
      if (WalkFolder(walk, path) < 0) return 0;
    } else {
      if (!WriteMember(walk, path, MemberCode(system, path, member_encoding, false))) return 0;
    }
    if (walk.member_count >= kMaxMembers) {
      system.ShowLimitMessage();
      return walk.member_count;
    }
  }
  return walk.member_count;
}

}  // namespace vlpd
