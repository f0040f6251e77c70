// DecideSelectionKind over arbitrary first paths, folder flags and counts, against the rules
// written out plainly: a folder or more than one path is several; otherwise a path of 1 to 259
// bytes whose name ends in ".vpj", letter case aside, is a single project, anything else a single
// file.
//
// Input: one control byte (bit 0 the folder flag, bit 1 the count is taken from the next four
// bytes rather than being one, bit 2 no path at all), then the path, in a buffer of exactly its
// length and terminator.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "commands/command_table.h"
#include "fuzz/fuzz_input.h"
#include "text/path.h"

namespace vlpd::fuzz {
namespace {

char LowerLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; }

// A dot is never the trail byte of a double-byte character, and no lead byte is a dot or an ASCII
// letter, so the last four bytes ".vpj" are four characters of the name whatever comes before.
SelectionKind ReferenceKind(bool is_folder, int count, const std::string& path) {
  if (is_folder || count > 1) return SelectionKind::kSeveral;
  if (path.size() < 4 || path.size() >= kMaxPath) return SelectionKind::kSingleFile;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = LowerLetter(c);
  return tail == ".vpj" ? SelectionKind::kSingleProject : SelectionKind::kSingleFile;
}

int Count(FuzzInput& input) {
  std::uint32_t count = 0;
  for (int i = 0; i < 4; ++i) count = count << 8 | input.Byte();
  return static_cast<int>(count);
}

}  // namespace

void FuzzOne(FuzzInput& input) {
  const std::uint8_t control = input.Byte();
  const bool is_folder = (control & 1) != 0;
  const int count = (control & 2) != 0 ? Count(input) : 1;
  const std::string path = input.Field();
  const std::unique_ptr<char[]> text = ExactCopy(path);

  const bool absent = (control & 4) != 0;
  const char* first_path = absent ? nullptr : text.get();

  const SelectionKind kind = DecideSelectionKind(is_folder, count, first_path);
  Require(kind == SelectionKind::kSeveral || kind == SelectionKind::kSingleFile ||
          kind == SelectionKind::kSingleProject);
  // The shell never hands over an empty selection; for one the answer need only be a kind.
  if (count >= 1) Require(kind == ReferenceKind(is_folder, count, absent ? std::string() : path));
  Require(kind == DecideSelectionKind(is_folder, count, first_path));
}

}  // namespace vlpd::fuzz
