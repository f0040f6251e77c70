// ComposeClipboardText over arbitrary names and buffer sizes, each name and the output in heap
// buffers of exactly their size: the names joined by CR LF when they fit, -1 and an empty buffer
// when not, and never a byte past the buffer. Names the selection list takes also compose from
// the list into a block of ClipboardBlockSize bytes, as the name copy does.
//
// Input: the output size (two bytes), then the names separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "commands/clipboard_text.h"
#include "fuzz/fuzz_input.h"
#include "selection/selection_list.h"

namespace vlpd::fuzz {
namespace {

constexpr int kMaxNames = 64;

void CheckArray(const std::vector<std::string>& names, std::size_t size) {
  std::vector<std::unique_ptr<char[]>> copies;
  std::vector<const char*> pointers;
  std::string expected;
  for (const std::string& name : names) {
    copies.push_back(ExactCopy(name));
    pointers.push_back(copies.back().get());
    if (pointers.size() > 1) expected += "\r\n";
    expected += name;
  }
  std::unique_ptr<char[]> out(new char[size]);
  if (size > 0) std::memset(out.get(), '#', size);
  const int count = static_cast<int>(names.size());
  const int result = ComposeClipboardText(out.get(), size, pointers.data(), count);
  if (expected.size() >= size) {
    Require(result == -1);
    if (size > 0) Require(out[0] == '\0');
    return;
  }
  Require(result == static_cast<int>(expected.size()));
  Require(std::memcmp(out.get(), expected.c_str(), expected.size() + 1) == 0);
}

void CheckList(const std::vector<std::string>& names) {
  SelectionList list;
  Require(list.Reserve(static_cast<int>(names.size())));
  std::string expected;
  std::size_t total = 0;
  for (const std::string& name : names) {
    const bool fits = name.size() < kMaxPath;
    Require(list.Append(name.data(), name.size()) == fits);
    if (!fits) continue;
    if (list.Count() > 1) expected += "\r\n";
    expected += name;
    total += name.size();
  }
  if (list.Count() == 0) return;
  Require(static_cast<std::size_t>(list.TotalLength()) == total);
  const std::size_t block = ClipboardBlockSize(list.TotalLength(), list.Count());
  Require(block > expected.size());
  std::unique_ptr<char[]> out(new char[block]);
  Require(ComposeClipboardText(out.get(), block, list) == static_cast<int>(expected.size()));
  Require(std::memcmp(out.get(), expected.c_str(), expected.size() + 1) == 0);
}

}  // namespace

void FuzzOne(FuzzInput& input) {
  const std::size_t out_size = input.Word();
  std::vector<std::string> names;
  while (!input.AtEnd() && names.size() < kMaxNames) names.push_back(input.Field());
  CheckArray(names, out_size);
  CheckList(names);
}

}  // namespace vlpd::fuzz
