#include "project/project_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fixtures/fake_project_system.h"
#include "project/encoding_picker.h"

namespace vlpd {
namespace {

// Shift-JIS characters whose second byte is 0x5C.
#define HYO "\x95\x5C"  // 表
#define SO "\x83\x5C"   // ソ

using fake::Entry, fake::FakeSystem, fake::kFile, fake::kFolder, fake::kLink;

// The number of CR LF ended lines in a project.
std::size_t LineCount(const std::string& output) {
  std::size_t lines = 0;
  for (std::size_t at = output.find("\r\n"); at != std::string::npos; at = output.find("\r\n", at + 2))
    ++lines;
  return lines;
}

class ProjectWriterTest : public ::testing::Test {
 protected:
  // Selects a path with the given attributes.
  void Select(const std::string& path, std::uint32_t attributes) {
    selected_.push_back(path);
    if (attributes != kInvalidAttributes) system_.SetAttributes(path, attributes);
  }
  int Write(const char* invoking_folder, int member_encoding, const char* skip_path = nullptr) {
    SelectionList selection;
    EXPECT_TRUE(selection.Reserve(static_cast<int>(selected_.size())));
    for (const std::string& p : selected_) EXPECT_TRUE(selection.Append(p.c_str(), p.size()));
    return WriteMemberLines(system_, selection, invoking_folder, member_encoding, skip_path);
  }
  void TearDown() override { EXPECT_EQ(system_.fault, ""); }

  FakeSystem system_;
  std::vector<std::string> selected_;
};

RelativeBase BaseOf(const char* folder, const char* first) {
  RelativeBase base;
  ComputeRelativeBase(folder, first, base);
  return base;
}

std::string LineOf(int code, const char* member, const RelativeBase& base) {
  char line[kLineBufferSize];
  const std::size_t n = ComposeMemberLine(line, code, member, base);
  EXPECT_EQ(n, std::strlen(line));
  return std::string(line, n);
}

TEST_F(ProjectWriterTest, SelectedFileAndFolderWithDetectedSwitches) {
  Select(R"(C:\work\docs\a.txt)", kFile);
  Select(R"(C:\work\docs\sub)", kFolder);
  system_.AddFolder(R"(C:\work\docs\sub)", {{kFile, "b.txt", 12345}});
  system_.SetEncoding(R"(C:\work\docs\a.txt)", 1);
  system_.SetEncoding(R"(C:\work\docs\sub\b.txt)", 4);

  EXPECT_EQ(Write(R"(C:\work\docs)", 0), 2);
  EXPECT_EQ(system_.output, "/S .\\a.txt\r\n/U8 .\\sub\\b.txt\r\n");
  EXPECT_EQ(system_.limit_messages, 0);
  // The detector is told the size the selection or the listing gave, so it need not ask.
  EXPECT_EQ(system_.sizes, (std::vector<std::uint64_t>{7, 12345}));
}

TEST(RelativeBase, InvokingFolderAboveAtAndBelowTheBase) {
  // Below the base: two levels up to C:\a\.
  RelativeBase below = BaseOf(R"(C:\a\b\c)", R"(C:\a\x.txt)");
  EXPECT_EQ(below.base_length, 5);
  EXPECT_STREQ(below.up_prefix, "..\\..\\");
  EXPECT_EQ(LineOf(0, R"(C:\a\x.txt)", below), "..\\..\\x.txt\r\n");

  // The invoking folder is the base; the member lies further down.
  RelativeBase at = BaseOf(R"(C:\a\b)", R"(C:\a\b\sub\y.txt)");
  EXPECT_EQ(at.base_length, 7);
  EXPECT_STREQ(at.up_prefix, ".\\");
  EXPECT_EQ(LineOf(0, R"(C:\a\b\sub\y.txt)", at), ".\\sub\\y.txt\r\n");

  // The first path is the invoking folder itself: the base is its parent.
  RelativeBase self = BaseOf(R"(C:\a\b)", R"(C:\a\b)");
  EXPECT_EQ(self.base_length, 5);
  EXPECT_STREQ(self.up_prefix, "..\\");
  EXPECT_EQ(LineOf(0, R"(C:\a\b\x.txt)", self), "..\\b\\x.txt\r\n");

  // A trailing separator on the invoking folder changes nothing.
  RelativeBase trailing = BaseOf(R"(C:\a\b\c\)", R"(C:\a\x.txt)");
  EXPECT_EQ(trailing.base_length, 5);
  EXPECT_STREQ(trailing.up_prefix, "..\\..\\");
}

TEST(RelativeBase, RootDriveAndNetworkPaths) {
  // ".." never leaves a drive or a share: a member elsewhere keeps its absolute path (line null).
  const struct {
    const char* folder;
    const char* member;  // also the first selected path
    int base_length;
    const char* line;
  } kCases[] = {
      {R"(C:\)", R"(C:\x.txt)", 3, R"(.\x.txt)"},
      {R"(C:\work)", R"(D:\work\x.txt)", 0, nullptr},
      {R"(\\one\share)", R"(\\two\share\x.txt)", 0, nullptr},
      {R"(\\srv\a)", R"(\\srv\b\x.txt)", 0, nullptr},
      {R"(\\srv\a\sub)", R"(\\srv\b\x.txt)", 0, nullptr},
      {R"(\\srv)", R"(\\srv\a\x.txt)", 0, nullptr},
      {R"(\\srv\a)", R"(\\srv\a\x.txt)", 8, R"(.\x.txt)"},
      {R"(\\srv\a\sub)", R"(\\srv\a\x.txt)", 8, R"(..\x.txt)"},
      {R"(\\SRV\A\sub)", R"(\\srv\a\x.txt)", 8, R"(..\x.txt)"},
      {R"(\\?\UNC\srv\a\sub)", R"(\\?\UNC\srv\b\x.txt)", 0, nullptr},
      {R"(\\?\UNC\srv\a\sub)", R"(\\?\UNC\srv\a\x.txt)", 14, R"(..\x.txt)"},
      {R"(\\?\C:\a)", R"(\\?\C:\b\x.txt)", 7, R"(..\b\x.txt)"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.folder) + " / " + c.member);
    const RelativeBase base = BaseOf(c.folder, c.member);
    EXPECT_EQ(base.base_length, c.base_length);
    EXPECT_EQ(LineOf(0, c.member, base), std::string(c.line != nullptr ? c.line : c.member) + "\r\n");
  }
}

TEST(RelativeBase, LetterCaseIsFoldedForTheBaseButKeptInTheLine) {
  RelativeBase base = BaseOf(R"(C:\Work\Docs)", R"(c:\WORK\docs\Read.ME)");
  EXPECT_EQ(base.base_length, 13);
  EXPECT_EQ(LineOf(0, R"(c:\WORK\docs\Read.ME)", base), ".\\Read.ME\r\n");
  EXPECT_EQ(LineOf(0, R"(C:\work\DOCS\Sub\X.txt)", base), ".\\Sub\\X.txt\r\n");
}

TEST(RelativeBase, TrailByteBackslashIsNeitherBaseEndNorLevel) {
  // C:\表 against C:\表x.txt: the 0x5C of 表 does not end a shared base.
  RelativeBase hyo = BaseOf("C:\\" HYO, "C:\\" HYO "x.txt");
  EXPECT_EQ(hyo.base_length, 3);
  EXPECT_STREQ(hyo.up_prefix, "..\\");
  EXPECT_EQ(LineOf(0, "C:\\" HYO "x.txt", hyo), "..\\" HYO "x.txt\r\n");

  // Folders 表 and ソ below the base count one level each.
  RelativeBase levels = BaseOf("C:\\a\\" HYO "\\" SO, "C:\\a\\x.txt");
  EXPECT_EQ(levels.base_length, 5);
  EXPECT_STREQ(levels.up_prefix, "..\\..\\");

  RelativeBase inside = BaseOf("C:\\" HYO "\\" SO, "C:\\" HYO "\\" SO "\\x.txt");
  EXPECT_EQ(inside.base_length, 9);
  EXPECT_STREQ(inside.up_prefix, ".\\");
  EXPECT_EQ(LineOf(5, "C:\\" HYO "\\" SO "\\" HYO ".txt", inside), "/UB .\\" HYO ".txt\r\n");
}

TEST(RelativeBase, FolderEndingInALoneLeadByteGivesAbsolutePaths) {
  // The separator added after the lone 0x81 becomes its trail byte, so the folder's last part
  // is no level: the prefix came out empty (".\" missing) or one level short.
  const char first[] =
      "C:\\a\\b\x81"
      "\\x.txt";
  RelativeBase inside = BaseOf("C:\\a\\b\x81", first);
  EXPECT_EQ(inside.base_length, 0);
  EXPECT_STREQ(inside.up_prefix, "");
  EXPECT_EQ(LineOf(0, first, inside), std::string(first) + "\r\n");

  RelativeBase above = BaseOf("C:\\a\\b\\c\x81", R"(C:\a\x.txt)");
  EXPECT_EQ(above.base_length, 0);
  EXPECT_EQ(LineOf(0, R"(C:\a\x.txt)", above), "C:\\a\\x.txt\r\n");
}

TEST(RelativeBase, AbsentOrOverlongInvokingFolderGivesAbsolutePaths) {
  EXPECT_EQ(BaseOf(nullptr, R"(C:\a\x.txt)").base_length, 0);
  EXPECT_EQ(BaseOf(R"(C:\a)", nullptr).base_length, 0);
  // 260 bytes without a separator leave no room for one.
  std::string long_folder = "C:\\" + std::string(257, 'a');
  EXPECT_EQ(BaseOf(long_folder.c_str(), R"(C:\x.txt)").base_length, 0);
  // 261 bytes do not fit a path buffer at all.
  std::string longer = long_folder + "\\";
  longer += "b";
  EXPECT_EQ(BaseOf(longer.c_str(), R"(C:\x.txt)").base_length, 0);
}

TEST(RelativeBase, UpPrefixHoldsAtMost86Levels) {
  std::string folder = "C:";
  for (int i = 0; i < 86; ++i) folder += "\\a";
  RelativeBase deep = BaseOf(folder.c_str(), R"(C:\x)");
  EXPECT_EQ(deep.base_length, 3);
  EXPECT_EQ(std::strlen(deep.up_prefix), 258u);
  // 258 bytes of prefix and one of name fit; a longer name falls back to the absolute path.
  std::string expected;
  for (int i = 0; i < 86; ++i) expected += "..\\";
  EXPECT_EQ(LineOf(0, R"(C:\x)", deep), expected + "x\r\n");
  EXPECT_EQ(LineOf(0, R"(C:\xyz.txt)", deep), "C:\\xyz.txt\r\n");

  folder += "\\a";
  RelativeBase deeper = BaseOf(folder.c_str(), R"(C:\x)");
  EXPECT_EQ(deeper.base_length, 0);
  EXPECT_EQ(LineOf(0, R"(C:\x)", deeper), "C:\\x\r\n");
}

TEST(ComposeMemberLine, SwitchesAndBounds) {
  RelativeBase none;
  EXPECT_EQ(LineOf(0, "a", none), "a\r\n");
  EXPECT_EQ(LineOf(1, "a", none), "/S a\r\n");
  EXPECT_EQ(LineOf(2, "a", none), "/E a\r\n");
  EXPECT_EQ(LineOf(3, "a", none), "a\r\n");
  EXPECT_EQ(LineOf(4, "a", none), "/U8 a\r\n");
  EXPECT_EQ(LineOf(5, "a", none), "/UB a\r\n");
  EXPECT_EQ(LineOf(6, "a", none), "/UL a\r\n");
  EXPECT_EQ(LineOf(-1, "a", none), "a\r\n");

  // The longest switch with a path of 260 bytes fills the buffer exactly.
  const std::string full(kMaxPath, 'p');
  EXPECT_EQ(LineOf(4, full.c_str(), none), "/U8 " + full + "\r\n");
  char line[kLineBufferSize];
  const std::string too_long(kMaxPath + 1, 'p');
  EXPECT_EQ(ComposeMemberLine(line, 4, too_long.c_str(), none), 0u);
}

TEST(ComposeMemberLine, MembersOutsideTheBaseKeepTheirAbsolutePath) {
  RelativeBase base = BaseOf(R"(C:\a\b)", R"(C:\a\b\x.txt)");
  ASSERT_EQ(base.base_length, 7);
  EXPECT_EQ(LineOf(0, R"(C:\a\c.txt)", base), "C:\\a\\c.txt\r\n");
  EXPECT_EQ(LineOf(0, R"(D:\a\b\x.txt)", base), "D:\\a\\b\\x.txt\r\n");
  EXPECT_EQ(LineOf(0, "C:", base), "C:\r\n");
  // Same length as the base, other bytes.
  EXPECT_EQ(LineOf(0, R"(C:\a\bc)", base), "C:\\a\\bc\r\n");
  // A relative text longer than 260 bytes is replaced by the absolute path.
  RelativeBase up = BaseOf(R"(C:\a\b\c\d)", R"(C:\a\x)");
  ASSERT_STREQ(up.up_prefix, "..\\..\\..\\");
  const std::string member = "C:\\a\\" + std::string(253, 'n');
  ASSERT_EQ(member.size(), 258u);
  EXPECT_EQ(LineOf(0, member.c_str(), up), member + "\r\n");
  const std::string fits = "C:\\a\\" + std::string(251, 'n');
  EXPECT_EQ(LineOf(0, fits.c_str(), up), "..\\..\\..\\" + std::string(251, 'n') + "\r\n");
}

TEST_F(ProjectWriterTest, FixedEncodingSwitchesOnlySelectedFiles) {
  Select(R"(C:\p\a.txt)", kFile);
  Select(R"(C:\p\dir)", kFolder);
  Select(R"(C:\p\b.txt)", kFile);
  system_.AddFolder(R"(C:\p\dir)", {{kFile, "c.txt"}});

  EXPECT_EQ(Write(R"(C:\p)", 2), 3);
  EXPECT_EQ(system_.output, "/E .\\a.txt\r\n.\\dir\\c.txt\r\n/E .\\b.txt\r\n");
  EXPECT_TRUE(system_.detected.empty());
}

TEST_F(ProjectWriterTest, AutomaticEncodingAsksTheDetectorForEveryFile) {
  Select(R"(C:\p\sjis.txt)", kFile);
  Select(R"(C:\p\unknown.txt)", kFile);
  Select(R"(C:\p\unreadable.txt)", kFile);
  Select(R"(C:\p\dir)", kFolder);
  system_.SetEncoding(R"(C:\p\sjis.txt)", 1);
  system_.SetEncoding(R"(C:\p\unreadable.txt)", -1);
  system_.SetEncoding(R"(C:\p\dir\le.txt)", 6);
  system_.SetEncoding(R"(C:\p\dir\three.txt)", 3);
  system_.AddFolder(R"(C:\p\dir)", {{kFile, "le.txt"}, {kFile, "three.txt"}});

  EXPECT_EQ(Write(R"(C:\p)", 0), 5);
  EXPECT_EQ(
      system_.output,
      "/S .\\sjis.txt\r\n.\\unknown.txt\r\n.\\unreadable.txt\r\n/UL .\\dir\\le.txt\r\n.\\dir\\three.txt\r\n");
  EXPECT_EQ(system_.detected.size(), 5u);
}

TEST_F(ProjectWriterTest, MissingAndTemporaryPathsAreSkipped) {
  Select(R"(C:\p\gone.txt)", kInvalidAttributes);
  Select(R"(C:\p\temp.txt)", kFile | kAttributeTemporary);
  Select(R"(C:\p\tempdir)", kFolder | kAttributeTemporary);
  Select(R"(C:\p\dir)", kFolder);
  system_.AddFolder(R"(C:\p\tempdir)", {{kFile, "never.txt"}});
  system_.AddFolder(R"(C:\p\dir)", {{kFile, "a"},
                                    {kFile | kAttributeTemporary, "t1"},
                                    {kFile | kAttributeTemporary, "t2"},
                                    {kFolder | kAttributeTemporary, "t3"},
                                    {kFile, "b"}});
  system_.AddFolder(R"(C:\p\dir\t3)", {{kFile, "never.txt"}});

  EXPECT_EQ(Write(R"(C:\p)", 1), 2);
  EXPECT_EQ(system_.output, ".\\dir\\a\r\n.\\dir\\b\r\n");
  EXPECT_EQ(system_.listed, std::vector<std::string>{R"(C:\p\dir\*.*)"});
}

TEST_F(ProjectWriterTest, TheFileBeingWrittenIsNeverListed) {
  Select(R"(C:\p)", kFolder);
  system_.AddFolder(R"(C:\p)", {{kFile, "a.txt"}, {kFile, "VPJ1.tmp"}, {kFile, "b.txt"}});

  EXPECT_EQ(Write(R"(C:\)", 1, R"(c:\P\vpj1.TMP)"), 2);
  EXPECT_EQ(system_.output, ".\\p\\a.txt\r\n.\\p\\b.txt\r\n");
}

TEST_F(ProjectWriterTest, FoundFilesOfUpTo260BytesAreWritten) {
  const std::string folder = "D:\\" + std::string(200, 'f');
  const std::string name_260(260 - folder.size() - 1, 'n');
  const std::string name_261 = name_260 + "x";
  Select(folder, kFolder);
  system_.AddFolder(folder, {{kFile, name_261}, {kFile, name_260}, {kFile, "z"}});

  EXPECT_EQ(Write(R"(C:\)", 0), 2);
  EXPECT_EQ(system_.output, folder + "\\" + name_260 + "\r\n" + folder + "\\z\r\n");
}

TEST_F(ProjectWriterTest, SubfoldersAreWalkedDepthFirstWithoutDotEntries) {
  Select(R"(C:\p\top)", kFolder);
  Select(R"(C:\p\last.txt)", kFile);
  system_.AddFolder(R"(C:\p\top)", {{kFile, "1"}, {kFolder, "ab"}, {kFile, "4"}, {kFolder, "e"}});
  system_.AddFolder(R"(C:\p\top\ab)", {{kFile, "2"}, {kFolder, "c"}});
  system_.AddFolder(R"(C:\p\top\ab\c)", {{kFile, "3"}});
  system_.AddFolder(R"(C:\p\top\e)", {});

  EXPECT_EQ(Write(R"(C:\p)", 0), 5);
  EXPECT_EQ(system_.output, ".\\top\\1\r\n.\\top\\ab\\2\r\n.\\top\\ab\\c\\3\r\n.\\top\\4\r\n.\\last.txt\r\n");
  EXPECT_EQ(system_.listed, (std::vector<std::string>{R"(C:\p\top\*.*)", R"(C:\p\top\ab\*.*)",
                                                      R"(C:\p\top\ab\c\*.*)", R"(C:\p\top\e\*.*)"}));
  // Without a link no folder needs to be identified.
  EXPECT_TRUE(system_.identified.empty());
}

TEST_F(ProjectWriterTest, FoldersNamedWithTrailByteBackslashes) {
  const std::string top = "C:\\" HYO;
  Select(top, kFolder);
  system_.AddFolder(top, {{kFolder, SO}, {kFile, HYO ".txt"}});
  system_.AddFolder(top + "\\" SO, {{kFile, "x.txt"}});

  EXPECT_EQ(Write(top.c_str(), 2), 2);
  EXPECT_EQ(system_.output, "..\\" HYO "\\" SO "\\x.txt\r\n..\\" HYO "\\" HYO ".txt\r\n");
  EXPECT_EQ(system_.listed, (std::vector<std::string>{"C:\\" HYO "\\*.*", "C:\\" HYO "\\" SO "\\*.*"}));
}

TEST_F(ProjectWriterTest, OnlyEmptyFoldersGiveNoMember) {
  Select(R"(C:\p\a)", kFolder);
  Select(R"(C:\p\b)", kFolder);
  system_.AddFolder(R"(C:\p\a)", {{kFolder, "inner"}});
  system_.AddFolder(R"(C:\p\a\inner)", {});
  system_.AddFolder(R"(C:\p\b)", {});

  EXPECT_EQ(Write(R"(C:\p)", 0), 0);
  EXPECT_EQ(system_.writes, 0);
  EXPECT_EQ(system_.limit_messages, 0);
}

TEST_F(ProjectWriterTest, LinesAreGatheredIntoFullChunks) {
  std::vector<Entry> many;
  for (int i = 0; i < 2000; ++i) many.push_back({kFile, "member" + std::to_string(i) + ".txt"});
  Select(R"(C:\p\many)", kFolder);
  system_.AddFolder(R"(C:\p\many)", many);

  EXPECT_EQ(Write(R"(C:\p)", 1), 2000);
  EXPECT_EQ(LineCount(system_.output), 2000u);
  ASSERT_GE(system_.write_lengths.size(), 2u);
  // Each write but the last stops only where the next line no longer fits.
  for (std::size_t i = 0; i + 1 < system_.write_lengths.size(); ++i) {
    EXPECT_GT(system_.write_lengths[i] + kLineBufferSize, kOutputChunk) << i;
    EXPECT_LE(system_.write_lengths[i], kOutputChunk) << i;
  }
}

TEST_F(ProjectWriterTest, SubfolderTooDeepToListIsPassedOver) {
  const std::string folder = "C:\\" + std::string(240, 'f');
  const std::string fits(260 - folder.size() - 5, 's');  // folder\fits\*.* is 260 bytes
  const std::string too_long = fits + "t";
  Select(folder, kFolder);
  system_.AddFolder(folder, {{kFolder, too_long}, {kFolder, fits}, {kFile, "z"}});
  system_.AddFolder(folder + "\\" + fits, {{kFile, "y"}});

  EXPECT_EQ(Write(R"(D:\)", 0), 2);
  EXPECT_EQ(system_.output, folder + "\\" + fits + "\\y\r\n" + folder + "\\z\r\n");
  EXPECT_EQ(system_.listed.size(), 2u);
}

TEST_F(ProjectWriterTest, UnlistableFolderYieldsNoLineAndTheWalkGoesOn) {
  Select(R"(C:\p\gone)", kFolder);
  Select(R"(C:\p\top)", kFolder);
  Select(R"(C:\p\next.txt)", kFile);
  system_.AddFolder(R"(C:\p\top)", {{kFile, "1"}, {kFolder, "locked"}, {kFile, "2"}});

  EXPECT_EQ(Write(R"(C:\p)", 0), 3);
  EXPECT_EQ(system_.output, ".\\top\\1\r\n.\\top\\2\r\n.\\next.txt\r\n");
}

// C:\p\tree holds a.txt, a link l1 to itself, mid with a link up to its parent, and zz.
TEST_F(ProjectWriterTest, LinksBackToWalkedFoldersAreNotFollowed) {
  Select(R"(C:\p\tree)", kFolder);
  system_.AddFolder(R"(C:\p\tree)",
                    {{kFile, "a.txt"}, {kLink, "l1"}, {kFolder, "mid"}, {kLink, "l2"}, {kFolder, "zz"}});
  system_.AddLink(R"(C:\p\tree\l1)", R"(C:\p\tree)");
  system_.AddLink(R"(C:\p\tree\l2)", R"(C:\p\tree)");
  system_.AddFolder(R"(C:\p\tree\mid)", {{kLink, "up"}});
  system_.AddLink(R"(C:\p\tree\mid\up)", R"(C:\p\tree)");
  system_.AddFolder(R"(C:\p\tree\zz)", {{kFile, "z.txt"}});

  EXPECT_EQ(Write(R"(C:\p)", 0), 2);
  EXPECT_EQ(system_.output, ".\\tree\\a.txt\r\n.\\tree\\zz\\z.txt\r\n");
  EXPECT_EQ(system_.listed,
            (std::vector<std::string>{R"(C:\p\tree\*.*)", R"(C:\p\tree\mid\*.*)", R"(C:\p\tree\zz\*.*)"}));
}

TEST_F(ProjectWriterTest, FirstLinkIdentifiesTheFoldersWalkedBeforeIt) {
  Select(R"(C:\p\a)", kFolder);
  Select(R"(C:\p\b)", kFolder);
  system_.AddFolder(R"(C:\p\a)", {{kFolder, "inner"}});
  system_.AddFolder(R"(C:\p\a\inner)", {{kFile, "x"}});
  system_.AddFolder(R"(C:\p\b)", {{kFile, "y"}, {kLink, "back"}, {kFolder, "c"}});
  system_.AddLink(R"(C:\p\b\back)", R"(C:\p\a\inner)");
  system_.AddFolder(R"(C:\p\b\c)", {});

  EXPECT_EQ(Write(R"(C:\p)", 0), 2);
  EXPECT_EQ(system_.output, ".\\a\\inner\\x\r\n.\\b\\y\r\n");
  EXPECT_EQ(system_.identified, (std::vector<std::string>{R"(C:\p\a)", R"(C:\p\a\inner)", R"(C:\p\b)",
                                                          R"(C:\p\b\back)", R"(C:\p\b\c)"}));
}

TEST_F(ProjectWriterTest, FolderWalkedThroughALinkIsNotWalkedAgainDirectly) {
  Select(R"(C:\p\top)", kFolder);
  Select(R"(C:\p\top\real)", kFolder);
  system_.AddFolder(R"(C:\p\top)",
                    {{kLink, "alias"}, {kFile, "t"}, {kFolder, "real"}, {kLink, "ext"}, {kLink, "dead"}});
  system_.AddLink(R"(C:\p\top\alias)", R"(C:\p\top\real)");
  system_.AddFolder(R"(C:\p\top\real)", {{kFolder, "sub"}});
  system_.AddFolder(R"(C:\p\top\real\sub)", {{kFile, "x"}});
  // A link out of the selection leads to a folder walked nowhere else: walked under its path.
  system_.AddLink(R"(C:\p\top\ext)", R"(D:\q)");
  system_.AddFolder(R"(D:\q)", {{kFile, "y"}});
  system_.AddLink(R"(C:\p\top\dead)", "");

  EXPECT_EQ(Write(R"(C:\p)", 0), 3);
  EXPECT_EQ(system_.output, ".\\top\\alias\\sub\\x\r\n.\\top\\t\r\n.\\top\\ext\\y\r\n");
  EXPECT_EQ(system_.listed.size(), 4u);
}

TEST_F(ProjectWriterTest, SelectedLinkToAWalkedFolderIsPassedOverButRepeatsAreNot) {
  Select(R"(C:\p\real)", kFolder);
  Select(R"(C:\p\alias)", kLink);
  Select(R"(C:\p\real)", kFolder);
  system_.AddFolder(R"(C:\p\real)", {{kFile, "x"}});
  system_.AddLink(R"(C:\p\alias)", R"(C:\p\real)");

  // The user's own selection names one folder twice; a link to it adds nothing.
  EXPECT_EQ(Write(R"(C:\p)", 0), 2);
  EXPECT_EQ(system_.output, ".\\real\\x\r\n.\\real\\x\r\n");
}

TEST_F(ProjectWriterTest, FolderSelectedWithALinkToItsParentListsEachFileOnce) {
  Select(R"(C:\p\top\inner)", kFolder);
  Select(R"(C:\p\up)", kLink);
  system_.AddFolder(R"(C:\p\top)", {{kFile, "t"}, {kFolder, "inner"}});
  system_.AddFolder(R"(C:\p\top\inner)", {{kFile, "x"}});
  system_.AddLink(R"(C:\p\up)", R"(C:\p\top)");

  // Walked through the link, the parent passes over the folder already walked directly.
  EXPECT_EQ(Write(R"(C:\p)", 0), 2);
  EXPECT_EQ(system_.output, ".\\top\\inner\\x\r\n.\\up\\t\r\n");
}

TEST_F(ProjectWriterTest, ProgressIsPolledForEveryFolderAndMember) {
  Select(R"(C:\p\top)", kFolder);
  Select(R"(C:\p\f.txt)", kFile);
  system_.AddFolder(R"(C:\p\top)", {{kFile, "1"}, {kFolder, "sub"}, {kFile, "2"}});
  system_.AddFolder(R"(C:\p\top\sub)", {{kFile, "3"}});

  EXPECT_EQ(Write(R"(C:\p)", 0), 4);
  const std::string top = R"(C:\p\top\)";
  const std::string sub = R"(C:\p\top\sub\)";
  EXPECT_EQ(system_.places, (std::vector<std::string>{top, top, sub, sub, top, R"(C:\p\f.txt)"}));
  EXPECT_EQ(system_.counts, (std::vector<int>{0, 1, 1, 2, 3, 4}));
}

TEST_F(ProjectWriterTest, CancelStopsAtOnceAndWritesNothing) {
  Select(R"(C:\p\top)", kFolder);
  Select(R"(C:\p\f.txt)", kFile);
  system_.AddFolder(R"(C:\p\top)", {{kFile, "1"}, {kFolder, "sub"}, {kFile, "2"}});
  system_.AddFolder(R"(C:\p\top\sub)", {{kFile, "3"}});
  // Cancelled as the walk enters sub: it is never listed.
  system_.CancelAt(2);

  EXPECT_EQ(Write(R"(C:\p)", 0), kProjectCancelled);
  EXPECT_EQ(system_.detected, std::vector<std::string>{R"(C:\p\top\1)"});
  EXPECT_EQ(system_.listed, std::vector<std::string>{R"(C:\p\top\*.*)"});
  EXPECT_EQ(system_.writes, 0);
}

TEST_F(ProjectWriterTest, CancelAfterAWalkedFile) {
  Select(R"(C:\p\top)", kFolder);
  system_.AddFolder(R"(C:\p\top)", {{kFile, "1"}, {kFile, "2"}});
  system_.CancelAt(1);  // the answer after the walk's first file

  EXPECT_EQ(Write(R"(C:\p)", 0), kProjectCancelled);
  EXPECT_EQ(system_.detected, std::vector<std::string>{R"(C:\p\top\1)"});
}

TEST_F(ProjectWriterTest, CancelAfterASelectedFile) {
  for (const char* name : {"a", "b", "c"}) Select(std::string("C:\\p\\") + name, kFile);
  system_.CancelAt(1);

  EXPECT_EQ(Write(R"(C:\p)", 1), kProjectCancelled);
  EXPECT_EQ(system_.places.size(), 2u);
  EXPECT_EQ(system_.writes, 0);
  EXPECT_EQ(system_.limit_messages, 0);
}

TEST_F(ProjectWriterTest, LimitStopsAtExactly7500WithOneMessage) {
  std::vector<Entry> many;
  many.reserve(kMaxMembers);
  for (int i = 0; i < kMaxMembers; ++i) many.push_back({kFile, std::to_string(i)});
  Select(R"(C:\p\many)", kFolder);
  system_.AddFolder(R"(C:\p\many)", many);

  EXPECT_EQ(Write(R"(C:\p)", 1), kMaxMembers);
  EXPECT_EQ(LineCount(system_.output), static_cast<std::size_t>(kMaxMembers));
  EXPECT_EQ(system_.limit_messages, 1);
  const std::string tail = ".\\many\\7499\r\n";
  EXPECT_EQ(system_.output.substr(system_.output.size() - tail.size()), tail);
}

TEST_F(ProjectWriterTest, LimitInsideANestedWalkEndsTheWholeProject) {
  std::vector<Entry> many;
  many.reserve(kMaxMembers);
  for (int i = 0; i < kMaxMembers - 2; ++i) many.push_back({kFile, std::to_string(i)});
  Select(R"(C:\p\a.txt)", kFile);
  Select(R"(C:\p\top)", kFolder);
  Select(R"(C:\p\b.txt)", kFile);
  system_.AddFolder(R"(C:\p\top)", {{kFolder, "deep"}, {kFile, "after"}});
  many.push_back({kFile, "last"});
  many.push_back({kFile, "over"});
  system_.AddFolder(R"(C:\p\top\deep)", many);

  EXPECT_EQ(Write(R"(C:\p)", 1), kMaxMembers);
  EXPECT_EQ(LineCount(system_.output), static_cast<std::size_t>(kMaxMembers));
  EXPECT_EQ(system_.limit_messages, 1);
  const std::string tail = ".\\top\\deep\\last\r\n";
  EXPECT_EQ(system_.output.substr(system_.output.size() - tail.size()), tail);
}

TEST_F(ProjectWriterTest, LimitReachedBySelectedFiles) {
  for (int i = 0; i < kMaxMembers + 3; ++i) Select("C:\\p\\" + std::to_string(i), kFile);
  EXPECT_EQ(Write(R"(C:\p)", 2), kMaxMembers);
  EXPECT_EQ(LineCount(system_.output), static_cast<std::size_t>(kMaxMembers));
  EXPECT_EQ(system_.limit_messages, 1);
}

TEST_F(ProjectWriterTest, LimitWithAFailedLastWriteIsAFailureWithoutTheMessage) {
  for (int i = 0; i < kMaxMembers + 3; ++i) Select("C:\\p\\" + std::to_string(i), kFile);
  system_.FailShortWrites();
  EXPECT_EQ(Write(R"(C:\p)", 2), 0);
  EXPECT_GT(system_.writes, 1);
  EXPECT_EQ(system_.limit_messages, 0);
}

TEST_F(ProjectWriterTest, WriteFailureAtTopLevelFailsTheProject) {
  Select(R"(C:\p\a)", kFile);
  Select(R"(C:\p\b)", kFile);
  Select(R"(C:\p\c)", kFile);
  system_.FailWritesFrom(0);

  EXPECT_EQ(Write(R"(C:\p)", 1), 0);
  EXPECT_EQ(system_.writes, 1);
  EXPECT_EQ(system_.limit_messages, 0);
}

TEST_F(ProjectWriterTest, WriteFailureInsideAWalkFailsTheProject) {
  // Lines of 100 bytes: ".\top\sub\", a name of 88 bytes, CR LF.
  std::vector<Entry> many;
  for (int i = 0; i < 1000; ++i) many.push_back({kFile, std::string(84, 'n') + std::to_string(1000 + i)});
  Select(R"(C:\p\top)", kFolder);
  Select(R"(C:\p\b)", kFile);
  system_.AddFolder(R"(C:\p\top)", {{kFolder, "sub"}, {kFile, "after"}});
  system_.AddFolder(R"(C:\p\top\sub)", many);
  system_.FailWritesFrom(1);

  EXPECT_EQ(Write(R"(C:\p)", 0), 0);
  // The walk stopped at the line that did not fit after the failed write: nothing after it was
  // tried.
  EXPECT_EQ(system_.writes, 2);
  EXPECT_EQ(system_.detected.size(), 2 * (kOutputChunk / 100) + 1);
}

TEST_F(ProjectWriterTest, AbsentInvokingFolderWritesAbsolutePaths) {
  Select(R"(C:\p\a.txt)", kFile);
  Select(R"(C:\p\dir)", kFolder);
  system_.AddFolder(R"(C:\p\dir)", {{kFile, "b.txt"}});
  EXPECT_EQ(Write(nullptr, 4), 2);
  EXPECT_EQ(system_.output, "/U8 C:\\p\\a.txt\r\nC:\\p\\dir\\b.txt\r\n");
}

TEST_F(ProjectWriterTest, SelectionSpanningFoldersWritesOutsidersAbsolute) {
  Select(R"(C:\p\q\a.txt)", kFile);
  Select(R"(C:\p\b.txt)", kFile);
  Select(R"(E:\c.txt)", kFile);
  Select(R"(C:\P\Q\d.txt)", kFile);
  EXPECT_EQ(Write(R"(C:\p\q)", 0), 4);
  EXPECT_EQ(system_.output, ".\\a.txt\r\nC:\\p\\b.txt\r\nE:\\c.txt\r\n.\\d.txt\r\n");
}

TEST(PickerEncoding, PositionsMapToEncodingCodes) {
  EXPECT_EQ(PickerEncoding(0), 0);
  EXPECT_EQ(PickerEncoding(1), 1);
  EXPECT_EQ(PickerEncoding(2), 2);
  EXPECT_EQ(PickerEncoding(3), 4);
  EXPECT_EQ(PickerEncoding(4), 5);
  EXPECT_EQ(PickerEncoding(5), 6);
  EXPECT_EQ(PickerEncoding(6), 0);
  EXPECT_EQ(PickerEncoding(-1), 0);
}

}  // namespace
}  // namespace vlpd
