#include "text/path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vlpd {
namespace {

TEST(AppendSeparator, AddsOneUnlessPresent) {
  char a[16] = "C:\\dir\\";
  EXPECT_EQ(AppendSeparator(a, sizeof a), 7);
  EXPECT_STREQ(a, "C:\\dir\\");

  char b[16] = "C:\\dir";
  EXPECT_EQ(AppendSeparator(b, sizeof b), 7);
  EXPECT_STREQ(b, "C:\\dir\\");

  char empty[4] = "";
  EXPECT_EQ(AppendSeparator(empty, sizeof empty), 1);
  EXPECT_STREQ(empty, "\\");
}

TEST(AppendSeparator, TrailByteBackslashIsNotASeparator) {
  char hyo[16] = "C:\\\x95\x5C";  // C:\表
  EXPECT_EQ(AppendSeparator(hyo, sizeof hyo), 6);
  EXPECT_STREQ(hyo, "C:\\\x95\x5C\\");

  char so[16] = "\x83\x5C";  // ソ
  EXPECT_EQ(AppendSeparator(so, sizeof so), 3);
  EXPECT_STREQ(so, "\x83\x5C\\");
}

TEST(AppendSeparator, NeverWritesPastTheBuffer) {
  // Exactly full: 259 bytes of text fit a separator in 261 bytes, 260 do not.
  char buf[kPathBufferSize + 4];
  std::memset(buf, '#', sizeof buf);
  std::memset(buf, 'a', 259);
  buf[259] = '\0';
  EXPECT_EQ(AppendSeparator(buf, kPathBufferSize), 260);
  EXPECT_EQ(buf[260], '\0');
  EXPECT_EQ(buf[261], '#');

  std::memset(buf, 'a', 260);
  buf[260] = '\0';
  EXPECT_EQ(AppendSeparator(buf, kPathBufferSize), -1);
  EXPECT_EQ(buf[260], '\0');
  EXPECT_EQ(buf[261], '#');

  // A full path that already ends in a separator needs no room.
  buf[259] = '\\';
  EXPECT_EQ(AppendSeparator(buf, kPathBufferSize), 260);

  // No terminator inside the buffer: nothing is written.
  char unterminated[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(AppendSeparator(unterminated, sizeof unterminated), -1);
  EXPECT_EQ(std::string(unterminated, 4), "abcd");
}

struct Split {
  bool ok;
  std::string directory, name, extension;
  bool has_extension;
};

Split SplitOf(const char* source) {
  PathParts parts;
  parts.source = source;
  Split s{};
  s.ok = SplitPath(parts);
  s.directory = parts.directory;
  s.name = parts.name;
  s.has_extension = parts.extension != nullptr;
  if (parts.extension != nullptr) {
    // The extension points into the record's own name buffer.
    EXPECT_GE(parts.extension, parts.name);
    EXPECT_LT(parts.extension, parts.name + sizeof parts.name);
    s.extension = parts.extension;
  }
  return s;
}

TEST(SplitPath, DirectoryNameAndExtension) {
  Split s = SplitOf("C:\\dir\\file.html");
  EXPECT_TRUE(s.ok);
  EXPECT_EQ(s.directory, "C:\\dir\\");
  EXPECT_EQ(s.name, "file.html");
  EXPECT_EQ(s.extension, ".html");

  EXPECT_FALSE(SplitOf("C:\\dir\\file.xhtml").has_extension);  // five bytes after the dot

  s = SplitOf("arch.tar.gzip2");
  EXPECT_EQ(s.directory, "");
  EXPECT_EQ(s.name, "arch.tar.gzip2");
  EXPECT_FALSE(s.has_extension);  // only the last dot counts

  s = SplitOf("C:\\dir\\");
  EXPECT_EQ(s.directory, "C:\\dir\\");
  EXPECT_EQ(s.name, "");
  EXPECT_FALSE(s.has_extension);

  EXPECT_EQ(SplitOf("C:\\dir\\name.").extension, ".");
  EXPECT_EQ(SplitOf(".vpj").extension, ".vpj");
  EXPECT_EQ(SplitOf("C:\\d\\a.TXT").extension, ".TXT");
  EXPECT_FALSE(SplitOf("C:\\dir.x\\file").has_extension);
}

TEST(SplitPath, TrailByteBackslashes) {
  Split s = SplitOf("C:\\\x95\x5C\\a.txt");  // C:\表\a.txt
  EXPECT_EQ(s.directory, "C:\\\x95\x5C\\");
  EXPECT_EQ(s.name, "a.txt");
  EXPECT_EQ(s.extension, ".txt");

  s = SplitOf("C:\\a\\\x95\x5C");  // C:\a\表
  EXPECT_EQ(s.directory, "C:\\a\\");
  EXPECT_EQ(s.name, "\x95\x5C");

  s = SplitOf("\x83\x5C.txt");  // ソ.txt without a directory
  EXPECT_EQ(s.directory, "");
  EXPECT_EQ(s.name, "\x83\x5C.txt");
}

TEST(SplitPath, RejectsEmptyAndOverlongSources) {
  Split s = SplitOf("");
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.directory, "");
  EXPECT_EQ(s.name, "");
  EXPECT_FALSE(s.has_extension);
  EXPECT_FALSE(SplitOf(nullptr).ok);

  std::string p259 = "C:\\" + std::string(252, 'a') + ".txt";
  ASSERT_EQ(p259.size(), 259u);
  s = SplitOf(p259.c_str());
  EXPECT_TRUE(s.ok);
  EXPECT_EQ(s.name.size(), 256u);

  std::string p260 = p259 + "x";
  s = SplitOf(p260.c_str());
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.name, "");
  EXPECT_FALSE(SplitOf((p260 + std::string(100, 'b')).c_str()).ok);
}

// A drive's root is what the shell selects for a right-click on a drive (FolderBackground).
TEST(DriveRoot, OnlyALetterAColonAndOneSeparator) {
  for (const char* root : {"C:\\", "z:\\"}) EXPECT_TRUE(IsDriveRoot(root)) << root;
  for (const char* other : {"", "C", "C:", "C:/", "C:\\a", "1:\\", "\\\\srv\\", "\x95\\:\\"})
    EXPECT_FALSE(IsDriveRoot(other)) << other;
}

}  // namespace
}  // namespace vlpd
