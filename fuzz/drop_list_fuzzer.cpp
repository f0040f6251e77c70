// The drop-list check and walk on arbitrary CF_HDROP blocks, ANSI and wide, of any size and with
// any pFiles, each held in a heap buffer of exactly its size: nothing is read outside the block,
// the walk yields exactly the names a plain unit-by-unit reading finds (none for a rejected
// block), every name lies inside the block, and the selection list keeps them as given.
//
// Input: one control byte, then the block. Bit 0 set: the next four bytes replace pFiles, taken
// modulo the block's size plus eight so that most land inside it; bit 1 set: fWide is forced
// to bit 2. The rest of the input is the block as it stands.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "selection/drop_list.h"
#include "selection/selection_list.h"

namespace vlpd::fuzz {
namespace {

void PutLe32(unsigned char* p, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) p[k] = static_cast<unsigned char>(value >> (8 * k));
}

std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The names as a plain reading finds them, one unit at a time with every index checked; empty
// when the list does not end in its double terminator inside the block.
std::vector<DropName> Reference(const unsigned char* block, std::size_t size) {
  std::vector<DropName> names;
  if (size < kDropFilesHeaderSize) return names;
  const std::size_t first = Le32(block);
  const std::size_t unit = Le32(block + 16) != 0 ? 2 : 1;
  if (first < kDropFilesHeaderSize || first >= size) return names;
  auto zero_at = [&](std::size_t at) {
    for (std::size_t k = 0; k < unit; ++k) {
      if (block[at + k] != 0) return false;
    }
    return true;
  };
  std::size_t at = first;
  for (;;) {
    DropName name{at, 0};
    for (;;) {
      if (at + unit > size) return {};
      if (zero_at(at)) break;
      at += unit;
      ++name.units;
    }
    names.push_back(name);
    at += unit;
    if (at + unit > size) return {};
    if (zero_at(at)) return names;
  }
}

void CheckBlock(const unsigned char* block, std::size_t size) {
  const std::vector<DropName> expected = Reference(block, size);
  Require(ValidateDropList(block, size) == !expected.empty());

  DropNameWalker walker(block, size);
  Require(walker.Count() == expected.size());
  const std::size_t unit = walker.Wide() ? 2 : 1;
  SelectionList list;
  Require(list.Reserve(static_cast<int>(expected.size())));
  std::vector<const unsigned char*> kept;
  DropName name;
  std::size_t yielded = 0;
  while (walker.Next(&name)) {
    Require(yielded < expected.size());
    Require(name.offset == expected[yielded].offset && name.units == expected[yielded].units);
    // Inside the block, terminator included, and at or after the header.
    Require(name.offset >= kDropFilesHeaderSize && name.offset + (name.units + 1) * unit <= size);
    if (unit == 1 && name.units < kMaxPath) {
      Require(list.Append(reinterpret_cast<const char*>(block + name.offset), name.units));
      kept.push_back(block + name.offset);
    }
    ++yielded;
  }
  Require(yielded == expected.size());
  Require(!walker.Next(&name));
  if (!expected.empty()) {
    const std::size_t first = Le32(block);
    Require(first + walker.ListUnits() * unit <= size);
  }
  Require(list.Count() == static_cast<int>(kept.size()));
  for (int i = 0; i < list.Count(); ++i) {
    Require(std::strcmp(list.Name(i), reinterpret_cast<const char*>(kept[static_cast<std::size_t>(i)])) == 0);
    Require(list.WideName(i) == nullptr);
  }
}

}  // namespace

void FuzzOne(FuzzInput& input) {
  if (input.AtEnd()) return;
  const std::uint8_t control = input.Byte();
  std::uint32_t files = 0;
  if ((control & 1) != 0) {
    const std::string pfiles = input.Bytes(4);
    if (pfiles.size() < 4) return;
    files = Le32(reinterpret_cast<const unsigned char*>(pfiles.data()));
  }
  const std::string rest = input.Rest();
  const std::size_t size = rest.size();
  const std::unique_ptr<unsigned char[]> block = ExactBytes(rest);
  if (size >= vlpd::kDropFilesHeaderSize) {
    if ((control & 1) != 0) PutLe32(block.get(), files % static_cast<std::uint32_t>(size + 8));
    if ((control & 2) != 0) PutLe32(block.get() + 16, (control & 4) != 0 ? 1 : 0);
  }
  CheckBlock(block.get(), size);
}

}  // namespace vlpd::fuzz
