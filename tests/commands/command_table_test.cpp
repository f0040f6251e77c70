// The submenu table, the enable states per selection kind, the kind decision and the flags test.
#include "commands/command_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands/handler_text.h"
#include "detect/encoding.h"

namespace vlpd {
namespace {

TEST(Submenu, HoldsTheItemsAndSeparatorsInPositionOrder) {
  const struct {
    const char* label;
    int offset;
  } expected[kSubmenuEntries] = {
      {text::kLabelOpen, 0},
      {nullptr, -1},
      {kEncodings[0].label, 1},
      {kEncodings[1].label, 2},
      {kEncodings[2].label, 3},
      {kEncodings[3].label, 4},
      {kEncodings[4].label, 5},
      {kProjectExtension, 6},
      {nullptr, -1},
      {text::kLabelCreateProject, 7},
      {nullptr, -1},
      {text::kLabelCopyNames, 8},
  };
  for (int position = 0; position < kSubmenuEntries; ++position) {
    const SubmenuEntry& entry = kSubmenu[position];
    SCOPED_TRACE(position);
    EXPECT_EQ(entry.separator, expected[position].label == nullptr);
    EXPECT_EQ(entry.offset, expected[position].offset);
    if (expected[position].label == nullptr) {
      EXPECT_EQ(entry.label, nullptr);
    } else {
      EXPECT_STREQ(entry.label, expected[position].label);
    }
  }
}

TEST(Submenu, ProjectLabelIsTheComparedExtension) { EXPECT_STREQ(kSubmenu[7].label, ".vpj"); }

// Expected InsertMenuA flags by position for each kind: E enabled, G grayed, S separator.
void ExpectStates(SelectionKind kind, const char* states) {
  ASSERT_EQ(std::strlen(states), static_cast<std::size_t>(kSubmenuEntries));
  for (int position = 0; position < kSubmenuEntries; ++position) {
    const std::uint32_t want = states[position] == 'E'   ? kItemEnabled
                               : states[position] == 'G' ? kItemGrayed
                                                         : kSeparator;
    EXPECT_EQ(EntryFlags(kSubmenu[position], kind), want) << "position " << position;
  }
}

TEST(Submenu, EnableStatesFollowTheSelectionKind) {
  ExpectStates(SelectionKind::kSeveral, "GSGGGGGGSESE");
  ExpectStates(SelectionKind::kSingleFile, "ESEEEEEGSESE");
  ExpectStates(SelectionKind::kSingleProject, "ESGGGGGESESE");
}

TEST(Submenu, FlagValuesAreTheMenuFlagCombinations) {
  EXPECT_EQ(kItemEnabled, 0x400u);
  EXPECT_EQ(kItemGrayed, 0x403u);
  EXPECT_EQ(kSeparator, 0xC00u);
  EXPECT_EQ(kPopup, 0x410u);
}

TEST(SelectionKindDecision, FolderOrSeveralPathsAreSeveral) {
  EXPECT_EQ(DecideSelectionKind(true, 1, "C:\\dir"), SelectionKind::kSeveral);
  EXPECT_EQ(DecideSelectionKind(true, 1, "C:\\dir.vpj"), SelectionKind::kSeveral);
  EXPECT_EQ(DecideSelectionKind(false, 2, "C:\\a.txt"), SelectionKind::kSeveral);
  EXPECT_EQ(DecideSelectionKind(false, 2, "C:\\p.vpj"), SelectionKind::kSeveral);
}

TEST(SelectionKindDecision, ProjectExtensionInAnyCaseIsASingleProject) {
  for (const char* path : {"C:\\p.vpj", "C:\\p.VPJ", "C:\\p.Vpj", "C:\\a.b\\p.vPj", "p.vpj"}) {
    EXPECT_EQ(DecideSelectionKind(false, 1, path), SelectionKind::kSingleProject) << path;
  }
}

TEST(SelectionKindDecision, OtherSingleFilesAreSingleFiles) {
  for (const char* path : {"C:\\a.txt", "C:\\a.TXT", "C:\\p.vpjx", "C:\\p.vp", "C:\\p.vpj.txt", "C:\\noext",
                           "C:\\p.vpj\\inner", "C:\\trailing.", "C:\\x.abcde"}) {
    EXPECT_EQ(DecideSelectionKind(false, 1, path), SelectionKind::kSingleFile) << path;
  }
}

TEST(SelectionKindDecision, OnlyFourBytesAfterTheLastDotMakeAnExtension) {
  // ".vpj" is four bytes; a dot followed by more than four bytes is no extension at all.
  EXPECT_EQ(DecideSelectionKind(false, 1, "C:\\a.b.vpj"), SelectionKind::kSingleProject);
  EXPECT_EQ(DecideSelectionKind(false, 1, "C:\\a.vpj.vpjxy"), SelectionKind::kSingleFile);
}

TEST(SelectionKindDecision, DoubleByteNamesAreSplitAtRealSeparators) {
  // 表 is 0x95 0x5C: its trail byte is no separator.
  EXPECT_EQ(DecideSelectionKind(false, 1, "C:\\\x95\x5C.vpj"), SelectionKind::kSingleProject);
  EXPECT_EQ(DecideSelectionKind(false, 1, "C:\\\x95\x5C\\\x95\x5C.VPJ"), SelectionKind::kSingleProject);
}

TEST(OpenSwitch, EachOpenCommandHasItsSwitch) {
  const char* const expected[] = {"", "/S ", "/E ", "/U8 ", "/UB ", "/UL ", "/P "};
  for (int offset = 0; offset < 7; ++offset) EXPECT_STREQ(OpenSwitch(offset), expected[offset]) << offset;
  EXPECT_EQ(OpenSwitch(7), nullptr);
  EXPECT_EQ(OpenSwitch(8), nullptr);
  EXPECT_EQ(OpenSwitch(-1), nullptr);
}

TEST(MenuFlagsTest, RejectsOnlyDefaultOnlyAndNoVerbsWithoutVerbsOnlyOrExplore) {
  for (std::uint32_t low = 0; low < 16; ++low) {
    const bool rejected = low == 1 || low == 8 || low == 9;
    EXPECT_EQ(MenuFlagsAccepted(low), !rejected) << "flags " << low;
  }
}

TEST(MenuFlagsTest, IgnoresBitsAboveTheLowFour) {
  EXPECT_TRUE(MenuFlagsAccepted(0x10));
  EXPECT_TRUE(MenuFlagsAccepted(0xFFFFFFF0u));
  EXPECT_TRUE(MenuFlagsAccepted(0x20 | 5));
  EXPECT_FALSE(MenuFlagsAccepted(0x10 | 1));
  EXPECT_FALSE(MenuFlagsAccepted(0xFFFFFFF0u | 8));
}

}  // namespace
}  // namespace vlpd
