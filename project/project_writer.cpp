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
  const auto length = static_cast<std::size_t>(base.baseLength);
  if (strnlen(member, length) < length) return false;
  char head[kPathBufferSize];
  std::memcpy(head, member, length);
  head[length] = '\0';
  LowerAscii(head);
  return std::memcmp(head, base.foldedBase, length) == 0;
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
  ++walk.memberCount;
  return true;
}

class WalkVisitor final : public FolderVisitor {
 public:
  WalkVisitor(ProjectWalk& walk, const char (&base)[kPathBufferSize], std::size_t baseLength)
      : walk_(walk), base_(base), baseLength_(baseLength) {}

  int Result() const { return result_; }

  bool Visit(std::uint32_t attributes, const char* name) override {
    if ((attributes & kAttributeTemporary) != 0) return true;
    const std::size_t nameLength = strnlen(name, kPathBufferSize);
    if ((attributes & kAttributeDirectory) != 0) {
      if (!IsDotEntry(name)) {
        // A subfolder is walked only when its own pattern (separator and "*.*") fits a buffer.
        if (baseLength_ + nameLength + 4 <= kMaxPath) {
          char folder[kPathBufferSize];
          std::memcpy(folder, base_, baseLength_);
          std::memcpy(folder + baseLength_, name, nameLength);
          folder[baseLength_ + nameLength] = '\0';
          const int sub = WalkFolder(walk_, folder);
          if (sub != 1) return Stop(sub);
        }
      }
    } else if (baseLength_ + nameLength <= kMaxPath) {
      char path[kPathBufferSize];
      std::memcpy(path, base_, baseLength_);
      std::memcpy(path + baseLength_, name, nameLength);
      path[baseLength_ + nameLength] = '\0';
      if (IsSkipped(path)) return true;
      if (!WriteMember(walk_, path, MemberCode(walk_.system, path, walk_.memberEncoding, true)))
        return Stop(-1);
    }
    if (walk_.memberCount >= kMaxMembers) return Stop(0);
    return true;
  }

 private:
  bool Stop(int result) {
    result_ = result;
    return false;
  }

  bool IsSkipped(const char* path) const {
    if (walk_.foldedSkipPath[0] == '\0') return false;
    char folded[kPathBufferSize];
    if (!CopyPath(folded, path)) return false;
    LowerAscii(folded);
    return std::strcmp(folded, walk_.foldedSkipPath) == 0;
  }

  ProjectWalk& walk_;
  const char (&base_)[kPathBufferSize];
  const std::size_t baseLength_;
  int result_ = 1;
};

}  // namespace

void ComputeRelativeBase(const char* invokingFolder, const char* firstPath, RelativeBase& base) {
  base.baseLength = 0;
  base.upPrefix[0] = '\0';
  base.foldedBase[0] = '\0';
  if (invokingFolder == nullptr || firstPath == nullptr) return;

  char folder[kPathBufferSize];
  char first[kPathBufferSize];
  if (!CopyPath(folder, invokingFolder) || !CopyPath(first, firstPath)) return;
  LowerAscii(folder);
  if (AppendSeparator(folder, sizeof folder) < 0) return;
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

  const std::size_t baseLength = k + 1;
  const std::size_t folderLength = std::strlen(folder);
  if (folderLength > baseLength) {
    std::size_t levels = 0;
    for (std::size_t i = baseLength; i < folderLength; ++i) {
      if (IsSeparatorAt(folder, i)) ++levels;
    }
    // Deeper than an up prefix can hold: members keep their absolute paths.
    if (levels > kMaxUpLevels) return;
    for (std::size_t level = 0; level < levels; ++level) std::memcpy(base.upPrefix + 3 * level, "..\\", 3);
    base.upPrefix[3 * levels] = '\0';
  } else {
    std::memcpy(base.upPrefix, ".\\", 3);
  }
  std::memcpy(base.foldedBase, folder, baseLength);
  base.foldedBase[baseLength] = '\0';
  base.baseLength = static_cast<int>(baseLength);
}

std::size_t ComposeMemberLine(char (&line)[kLineBufferSize], int code, const char* member,
                              const RelativeBase& base) {
  const std::size_t memberLength = strnlen(member, kPathBufferSize);
  if (memberLength > kMaxPath) return 0;

  const char* encodingSwitch = EncodingSwitch(code);
  std::size_t length = strnlen(encodingSwitch, 5);
  if (length > 4) return 0;
  std::memcpy(line, encodingSwitch, length);

  const char* prefix = "";
  const char* rest = member;
  if (base.baseLength > 0 && StartsWithBase(member, base)) {
    const std::size_t prefixLength = std::strlen(base.upPrefix);
    const std::size_t restLength = memberLength - static_cast<std::size_t>(base.baseLength);
    if (prefixLength + restLength <= kMaxPath) {
      prefix = base.upPrefix;
      rest = member + base.baseLength;
    }
  }
  const std::size_t prefixLength = std::strlen(prefix);
  const std::size_t restLength = std::strlen(rest);
  std::memcpy(line + length, prefix, prefixLength);
  length += prefixLength;
  std::memcpy(line + length, rest, restLength);
  length += restLength;
  line[length++] = '\r';
  line[length++] = '\n';
  line[length] = '\0';
  return length;
}

int MemberCode(ProjectSystem& system, const char* path, int memberEncoding, bool walked) {
  if (memberEncoding != kEncodingAuto) return walked ? kEncodingAuto : memberEncoding;
  const int detected = system.DetectEncoding(path);
  return detected < 0 ? kEncodingAuto : detected;
}

int WalkFolder(ProjectWalk& walk, const char* folder) {
  char base[kPathBufferSize];
  if (!CopyPath(base, folder)) return 0;
  const int baseLength = AppendSeparator(base, sizeof base);
  if (baseLength < 0 || static_cast<std::size_t>(baseLength) + 3 > kMaxPath) return 0;

  char pattern[kPathBufferSize];
  std::memcpy(pattern, base, static_cast<std::size_t>(baseLength));
  std::memcpy(pattern + baseLength, "*.*", 4);

  WalkVisitor visitor(walk, base, static_cast<std::size_t>(baseLength));
  if (!walk.system.ListFolder(pattern, visitor)) return 0;
  return visitor.Result();
}

int WriteMemberLines(ProjectSystem& system, const SelectionList& selection, const char* invokingFolder,
                     int memberEncoding, const char* skipPath) {
  ProjectWalk walk{system, memberEncoding, {}, {}, 0};
  if (skipPath != nullptr && CopyPath(walk.foldedSkipPath, skipPath)) LowerAscii(walk.foldedSkipPath);

  const int count = selection.Count();
  if (count > 0) ComputeRelativeBase(invokingFolder, selection.Name(0), walk.base);

  for (int i = 0; i < count; ++i) {
    const char* path = selection.Name(i);
    const std::uint32_t attributes = system.Attributes(path);
    if (attributes == kInvalidAttributes || (attributes & kAttributeTemporary) != 0) continue;
    if ((attributes & kAttributeDirectory) != 0) {
      if (WalkFolder(walk, path) < 0) return 0;
    } else {
      if (!WriteMember(walk, path, MemberCode(system, path, memberEncoding, false))) return 0;
    }
    if (walk.memberCount >= kMaxMembers) {
      system.ShowLimitMessage();
      return walk.memberCount;
    }
  }
  return walk.memberCount;
}

}  // namespace vlpd
