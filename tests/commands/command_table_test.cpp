// The submenu table, the enable states per selection kind, the kind decision and the flags test.
#include "commands/command_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "commands/help_text.h"

namespace vlpd {
namespace {

// The submenu as the product defines it, position by position: the one place its shape is written
// down; every other test finds its commands through the table. Labels and help texts are the code
// page 932 bytes of the Japanese in the comment beside each row.
const struct {
  int offset;  // -1 for a separator
  CommandAction action;
  const char* editor_switch;  // null for a command that starts no editor
  const char* states;  // for one file, a .vpj, and a folder or several: E enabled, G grayed, S separator
  const char* label;   // null for a separator
  const char* help;
} kGolden[] = {
    {0, CommandAction::kOpenInEditor, "", "EEG", "\x8AJ\x82\xAD",  // 開く: Vellumpadでﾌｧｲﾙを開きます。
     "Vellumpad\x82\xC5\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7\x81\x42"},
    {-1, {}, nullptr, "SSS", nullptr, nullptr},
    {1, CommandAction::kOpenInEditor, "/S ", "EGG",
     "\xBC\xCC\xC4JIS",  // ｼﾌﾄJIS文字ｺｰﾄﾞﾌｧｲﾙを開きます。
     "\xBC\xCC\xC4JIS\x95\xB6\x8E\x9A\xBA\xB0\xC4\xDE\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7"
     "\x81\x42"},
    {2, CommandAction::kOpenInEditor, "/E ", "EGG", "EUC",  // EUC文字ｺｰﾄﾞﾌｧｲﾙを開きます。
     "EUC\x95\xB6\x8E\x9A\xBA\xB0\xC4\xDE\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7\x81\x42"},
    {3, CommandAction::kOpenInEditor, "/U8 ", "EGG", "UTF8",  // UTF8文字ｺｰﾄﾞﾌｧｲﾙを開きます。
     "UTF8\x95\xB6\x8E\x9A\xBA\xB0\xC4\xDE\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7\x81\x42"},
    {4, CommandAction::kOpenInEditor, "/UB ", "EGG", "UTF16BE",  // UTF16BE文字ｺｰﾄﾞﾌｧｲﾙを開きます。
     "UTF16BE\x95\xB6\x8E\x9A\xBA\xB0\xC4\xDE\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7\x81\x42"},
    {5, CommandAction::kOpenInEditor, "/UL ", "EGG", "UTF16LE",  // UTF16LE文字ｺｰﾄﾞﾌｧｲﾙを開きます。
     "UTF16LE\x95\xB6\x8E\x9A\xBA\xB0\xC4\xDE\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7\x81\x42"},
    {6, CommandAction::kOpenInEditor, "/P ", "GEG", ".vpj",  // ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙを通常のﾌｧｲﾙとして開きます。
     "\xCC\xDF\xDB\xBC\xDE\xAA\xB8\xC4\xCC\xA7\xB2\xD9\x82\xF0\x92\xCA\x8F\xED\x82\xCC\xCC\xA7\xB2\xD9\x82"
     "\xC6\x82\xB5\x82\xC4\x8AJ\x82\xAB\x82\xDC\x82\xB7\x81\x42"},
    {-1, {}, nullptr, "SSS", nullptr, nullptr},
    {7, CommandAction::kCreateProject, nullptr, "EEE",  // ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ作成: ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙを作成します。
     "\xCC\xDF\xDB\xBC\xDE\xAA\xB8\xC4\xCC\xA7\xB2\xD9\x8D\xEC\x90\xAC",
     "\xCC\xDF\xDB\xBC\xDE\xAA\xB8\xC4\xCC\xA7\xB2\xD9\x82\xF0\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB7\x81"
     "\x42"},
    {-1, {}, nullptr, "SSS", nullptr, nullptr},
    {8, CommandAction::kCopyNames, nullptr, "EEE",  // 名前をｺﾋﾟｰ: 名前をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします。
     "\x96\xBC\x91O\x82\xF0\xBA\xCB\xDF\xB0",
     "\x96\xBC\x91O\x82\xF0\xB8\xD8\xAF\xCC\xDF\xCE\xDE\xB0\xC4\xDE\x82\xC9\xBA\xCB\xDF\xB0\x82\xB5\x82\xDC"
     "\x82\xB7\x81\x42"},
};

TEST(Submenu, IsTheGoldenSubmenu) {
  ASSERT_EQ(sizeof kGolden / sizeof kGolden[0], static_cast<std::size_t>(kSubmenuEntries));
  for (int position = 0; position < kSubmenuEntries; ++position) {
    SCOPED_TRACE(position);
    const auto& row = kGolden[position];
    const SubmenuEntry& entry = kSubmenu[position];
    EXPECT_EQ(entry.offset, row.offset);
    EXPECT_STREQ(entry.label, row.label);
    const char* state = row.states;
    for (SelectionKind kind :
         {SelectionKind::kSingleFile, SelectionKind::kSingleProject, SelectionKind::kSeveral}) {
      const std::uint32_t flags = *state == 'E' ? kItemEnabled : *state == 'G' ? kItemGrayed : kSeparator;
      EXPECT_EQ(EntryFlags(entry, kind), flags);
      EXPECT_EQ(entry.separator || RuleEnabled(entry.rule, kind), *state != 'G');
      ++state;
    }
    if (entry.separator) continue;
    EXPECT_EQ(kCommands[entry.offset].action, row.action);
    EXPECT_STREQ(HelpText(row.offset), row.help);
    EXPECT_STREQ(OpenSwitch(row.offset), row.editor_switch);
  }
  EXPECT_EQ(OpenSwitch(kCommandCount), nullptr);
  EXPECT_EQ(OpenSwitch(-1), nullptr);
}

// The canonical names Windows 11's Explorer has known the first menu's twelve positions by since
// they shipped: {7A290954-A505-4500-AE54-E597CF0B9Fxx}, xx 0x54 for the first position, one more
// for each next one. Commands added later come after them, with names of their own.
TEST(Submenu, KeepsTheShippedCanonicalNames) {
  constexpr std::size_t kShippedPositions = 12;
  ASSERT_GE(kSubmenu.size(), kShippedPositions);
  for (std::size_t position = 0; position < kShippedPositions; ++position) {
    const Guid shipped = {
        0x7a290954,
        0xa505,
        0x4500,
        {0xae, 0x54, 0xe5, 0x97, 0xcf, 0x0b, 0x9f, static_cast<std::uint8_t>(0x54 + position)}};
    EXPECT_TRUE(kSubmenu[position].name == shipped) << position;
  }
}

// A row inserted anywhere, with a separator above it, leaves every other position's name as it
// was: names belong to rows, not to places.
TEST(Submenu, InsertedRowKeepsTheOtherNames) {
  constexpr Command kNew = {"new",
                            "help",
                            nullptr,
                            EnableRule::kAlways,
                            CommandAction::kCopyNames,
                            true,
                            {0x0f1e2d3c, 0x4b5a, 0x6978, {0x87, 0x96, 0xa5, 0xb4, 0xc3, 0xd2, 0xe1, 0xf0}}};
  for (std::size_t at = 0; at <= kCommands.size(); ++at) {
    SCOPED_TRACE(at);
    std::array<Command, kCommandCount + 1> commands{};
    std::copy(kCommands.begin(), kCommands.begin() + at, commands.begin());
    commands[at] = kNew;
    std::copy(kCommands.begin() + at, kCommands.end(), commands.begin() + at + 1);
    const auto submenu = MakeSubmenu<kSubmenuEntries + 2>(commands);
    std::vector<SubmenuEntry> others;
    for (const SubmenuEntry& entry : submenu) {
      if (entry.name != kNew.name && entry.name != SeparatorName(kNew.name)) others.push_back(entry);
    }
    ASSERT_EQ(others.size(), kSubmenu.size());
    for (std::size_t position = 0; position < kSubmenu.size(); ++position) {
      EXPECT_EQ(others[position].label, kSubmenu[position].label) << position;
      EXPECT_TRUE(others[position].name == kSubmenu[position].name) << position;
    }
  }
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
