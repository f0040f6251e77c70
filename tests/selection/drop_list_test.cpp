// The CF_HDROP block check: well-formed ANSI and wide lists pass; short, truncated and
// malformed blocks never do.
#include "selection/drop_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vlpd {
namespace {

using Bytes = std::vector<unsigned char>;

void PutLe32(Bytes& block, std::size_t at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) block[at + k] = static_cast<unsigned char>(value >> (8 * k));
}

Bytes Header(std::uint32_t files, bool wide) {
  Bytes block(kDropFilesHeaderSize, 0);
  PutLe32(block, 0, files);
  PutLe32(block, 16, wide ? 1 : 0);
  return block;
}

// A well-formed block: header, each name and its terminator, the closing empty name.
Bytes DropBlock(const std::vector<std::string>& names, bool wide) {
  Bytes block = Header(kDropFilesHeaderSize, wide);
  auto put = [&](unsigned char b) {
    block.push_back(b);
    if (wide) block.push_back(0);
  };
  for (const std::string& name : names) {
    for (char c : name) put(static_cast<unsigned char>(c));
    put(0);
  }
  put(0);
  if (names.empty()) put(0);
  return block;
}

bool Valid(const Bytes& block) { return ValidateDropList(block.data(), block.size()); }

TEST(ValidateDropList, AcceptsWellFormedLists) {
  for (bool wide : {false, true}) {
    EXPECT_TRUE(Valid(DropBlock({"C:\\a.txt"}, wide))) << wide;
    EXPECT_TRUE(Valid(DropBlock({"C:\\a.txt", "C:\\dir", "D:\\b c.txt"}, wide))) << wide;
    EXPECT_TRUE(Valid(DropBlock({}, wide))) << wide;
  }
}

TEST(ValidateDropList, AcceptsSpareBytesAfterTheListAndAListAfterAGap) {
  Bytes spare = DropBlock({"C:\\a.txt"}, false);
  spare.insert(spare.end(), {'x', 'y', 'z'});
  EXPECT_TRUE(Valid(spare));

  Bytes gap = Header(24, false);
  gap.insert(gap.end(), {0xEE, 0xEE, 0xEE, 0xEE, 'a', 0, 0});
  EXPECT_TRUE(Valid(gap));
}

TEST(ValidateDropList, RejectsEveryTruncationOfAWellFormedBlock) {
  for (bool wide : {false, true}) {
    const Bytes full = DropBlock({"C:\\a.txt", "D:\\b c.txt"}, wide);
    for (std::size_t size = 0; size < full.size(); ++size) {
      EXPECT_FALSE(ValidateDropList(full.data(), size)) << "wide " << wide << " size " << size;
    }
  }
}

TEST(ValidateDropList, RejectsAMissingBlockAndAShortHeader) {
  EXPECT_FALSE(ValidateDropList(nullptr, 100));
  const Bytes header_only = Header(kDropFilesHeaderSize, false);
  EXPECT_FALSE(ValidateDropList(header_only.data(), 19));
  EXPECT_FALSE(Valid(header_only));
}

TEST(ValidateDropList, RejectsAnOffsetOutsideTheBlockOrInsideTheHeader) {
  Bytes block = DropBlock({"C:\\a.txt"}, false);
  for (std::uint32_t files : {static_cast<std::uint32_t>(block.size()), 0x7FFFFFFFu, 0xFFFFFFFFu, 0u, 19u}) {
    Bytes bad = block;
    PutLe32(bad, 0, files);
    EXPECT_FALSE(Valid(bad)) << files;
  }
}

TEST(ValidateDropList, RejectsAListWithoutItsClosingEmptyName) {
  Bytes unterminated_name = Header(kDropFilesHeaderSize, false);
  unterminated_name.insert(unterminated_name.end(), {'C', ':', '\\', 'a'});
  EXPECT_FALSE(Valid(unterminated_name));

  Bytes single_terminator = Header(kDropFilesHeaderSize, false);
  single_terminator.insert(single_terminator.end(), {'C', ':', '\\', 'a', 0});
  EXPECT_FALSE(Valid(single_terminator));

  // A lone zero is an empty first name; the reader looks at the unit after it.
  Bytes lone_zero = Header(kDropFilesHeaderSize, false);
  lone_zero.push_back(0);
  EXPECT_FALSE(Valid(lone_zero));
}

TEST(ValidateDropList, ReadsWideListsInWholeUnits) {
  // An ANSI-shaped list marked wide: its units run past the end.
  Bytes ansi_as_wide = DropBlock({"C:\\a.txt"}, false);
  PutLe32(ansi_as_wide, 16, 1);
  EXPECT_FALSE(Valid(ansi_as_wide));

  // Zero bytes that straddle two units are no terminator: read as ANSI this list would pass.
  Bytes straddling = Header(kDropFilesHeaderSize, true);
  straddling.insert(straddling.end(), {'a', 0, 0, 'b', 0, 0});
  EXPECT_FALSE(Valid(straddling));
  PutLe32(straddling, 16, 0);
  EXPECT_TRUE(Valid(straddling));

  // The closing unit cut in half.
  Bytes half_unit = DropBlock({"C:\\a.txt"}, true);
  half_unit.pop_back();
  EXPECT_FALSE(Valid(half_unit));

  // Any non-zero fWide means wide.
  Bytes other_true = DropBlock({"C:\\a.txt"}, true);
  PutLe32(other_true, 16, 0xFFFFFFFFu);
  EXPECT_TRUE(Valid(other_true));
}

// The names a walk yields, each as its bytes (two a unit for a wide list).
std::vector<std::string> Walk(const Bytes& block) {
  DropNameWalker walker(block.data(), block.size());
  std::vector<std::string> names;
  DropName name;
  const std::size_t unit = walker.Wide() ? 2 : 1;
  while (walker.Next(&name)) {
    EXPECT_LE(name.offset + (name.units + 1) * unit, block.size());
    names.emplace_back(reinterpret_cast<const char*>(block.data() + name.offset), name.units * unit);
  }
  EXPECT_EQ(names.size(), walker.Count());
  return names;
}

std::string AsWide(const std::string& ansi) {
  std::string wide;
  for (char c : ansi) wide += {c, '\0'};
  return wide;
}

TEST(DropNameWalker, YieldsEveryNameInOrderWithItsOffsetAndLength) {
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide);
    const Bytes block = DropBlock({"C:\\a.txt", "C:\\dir", "D:\\b c.txt"}, wide);
    std::vector<std::string> expected = {"C:\\a.txt", "C:\\dir", "D:\\b c.txt"};
    if (wide) {
      for (std::string& name : expected) name = AsWide(name);
    }
    EXPECT_EQ(Walk(block), expected);
    DropNameWalker walker(block.data(), block.size());
    EXPECT_EQ(walker.Wide(), wide);
    // 8 + 6 + 10 characters, three terminators and the closing unit.
    EXPECT_EQ(walker.ListUnits(), 28u);
    DropName first;
    ASSERT_TRUE(walker.Next(&first));
    EXPECT_EQ(first.offset, kDropFilesHeaderSize);
    EXPECT_EQ(first.units, 8u);
  }
}

TEST(DropNameWalker, CountsAnEmptyFirstNameAsTheShellDoes) {
  // An empty list is one empty name; an empty first name may be followed by more.
  EXPECT_EQ(Walk(DropBlock({}, false)), std::vector<std::string>{""});
  EXPECT_EQ(Walk(DropBlock({}, true)), std::vector<std::string>{""});
  Bytes leading_empty = Header(kDropFilesHeaderSize, false);
  leading_empty.insert(leading_empty.end(), {0, 'b', 0, 0});
  EXPECT_EQ(Walk(leading_empty), (std::vector<std::string>{"", "b"}));
}

TEST(DropNameWalker, ReadsWideUnitsFromAnOddOffsetAndStopsAtTheList) {
  // The list after a gap of one byte: units are pairs counted from pFiles, not from the block.
  Bytes odd = Header(kDropFilesHeaderSize + 1, true);
  odd.push_back(0xEE);
  const std::string a = AsWide("a") + std::string(2, '\0') + AsWide("\x01") + std::string(4, '\0');
  odd.insert(odd.end(), a.begin(), a.end());
  odd.insert(odd.end(), {'x', 'y', 0});  // spare bytes after the list are no name
  EXPECT_EQ(Walk(odd), (std::vector<std::string>{AsWide("a"), AsWide("\x01")}));

  // A unit whose low byte is zero is a character, not a terminator.
  Bytes high = Header(kDropFilesHeaderSize, true);
  high.insert(high.end(), {0, 0x30, 0, 0, 0, 0});
  EXPECT_EQ(Walk(high), std::vector<std::string>{std::string("\0\x30", 2)});
}

TEST(DropNameWalker, YieldsNothingForEveryBlockTheCheckRejects) {
  const Bytes full = DropBlock({"C:\\a.txt", "D:\\b c.txt"}, true);
  for (std::size_t size = 0; size < full.size(); ++size) {
    DropNameWalker walker(full.data(), size);
    DropName name;
    EXPECT_EQ(walker.Count(), 0u) << size;
    EXPECT_FALSE(walker.Next(&name)) << size;
  }
  DropNameWalker none(nullptr, 100);
  DropName name;
  EXPECT_FALSE(none.Next(&name));
}

}  // namespace
}  // namespace vlpd
