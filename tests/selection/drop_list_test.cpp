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

}  // namespace
}  // namespace vlpd
