#include "project/project_writer.h"

#include <cstring>

#include "detect/encoding.h"
#include "text/sjis_string.h"

namespace vlpd {
namespace {

bool IsSeparatorAt(const char* text, std::size_t index) {
  return text[index] == '\\' && IsCharStart(text, text + index);
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

// Composes the member lines and hands them to the system in pieces of at most kOutputChunk bytes.
class LineWriter final : public MemberSink {
 public:
  LineWriter(ProjectSystem& system, const RelativeBase& base) : system_(system), base_(base) {}

  // Adds one member line; false when a write failed. A member that cannot be named (its path
  // exceeds kMaxPath bytes) is passed over.
  bool AddMember(const char* path, int code) override {
    char line[kLineBufferSize];
    const std::size_t length = ComposeMemberLine(line, code, path, base_);
    if (length == 0) return true;
    if (output_length_ + length > sizeof output_ && !Flush()) return false;
    std::memcpy(output_ + output_length_, line, length);
    output_length_ += length;
    ++member_count_;
    return true;
  }

  int MemberCount() const override { return member_count_; }

  // Hands the gathered lines to the system; false once any write failed.
  bool Flush() {
    if (!failed_ && output_length_ > 0) {
      failed_ = !system_.Write(output_, output_length_);
      output_length_ = 0;
    }
    return !failed_;
  }

 private:
  ProjectSystem& system_;
  const RelativeBase& base_;
  int member_count_ = 0;
  // Lines not yet handed to the system; `failed_` once a write failed.
  char output_[kOutputChunk];
  std::size_t output_length_ = 0;
  bool failed_ = false;
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

int WriteMemberLines(ProjectSystem& system, const SelectionList& selection, const char* invoking_folder,
                     int member_encoding, const char* skip_path) {
  RelativeBase base;
  if (selection.Count() > 0) ComputeRelativeBase(invoking_folder, selection.Name(0), base);
  LineWriter writer(system, base);
  ProjectWalk walk(system, writer);
  walk.member_encoding = member_encoding;
  if (skip_path != nullptr && CopyPath(walk.folded_skip_path, skip_path)) LowerAscii(walk.folded_skip_path);

  const WalkResult result = WalkSelection(walk, selection);
  if (result == WalkResult::kCancelled) return kProjectCancelled;
  if (result == WalkResult::kFailed || !writer.Flush()) return 0;
  if (result == WalkResult::kLimit) system.ShowLimitMessage();
  return writer.MemberCount();
}

}  // namespace vlpd
