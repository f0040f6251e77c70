#include "commands/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "text/path.h"

namespace vlpd {
namespace {

// Composes into a buffer with guard bytes after `size`, so any write past it shows.
struct Composed {
  int result;
  std::string text;
  bool guard_intact;
};

Composed Compose(std::size_t size, const char* folder, const char* encoding_switch, const char* path) {
  constexpr char kGuard = '#';
  std::vector<char> buffer(size + 16, kGuard);
  Composed c;
  c.result = ComposeCommandLine(buffer.data(), size, folder, kEditorExeName, encoding_switch, path);
  c.text = size > 0 ? std::string(buffer.data(), strnlen(buffer.data(), size)) : std::string();
  c.guard_intact = true;
  for (std::size_t i = size; i < buffer.size(); ++i) c.guard_intact = c.guard_intact && buffer[i] == kGuard;
  return c;
}

TEST(ComposeCommandLine, QuotesExecutableAndPathAroundTheSwitch) {
  const Composed euc = Compose(kCommandLineBufferSize, "C:\\Tools\\Editor\\", "/E ", "C:\\doc\\memo.txt");
  EXPECT_EQ(euc.text, "\"C:\\Tools\\Editor\\Vellumpad_0150.exe\" /E \"C:\\doc\\memo.txt\"");
  EXPECT_EQ(euc.result, 57);
  EXPECT_EQ(euc.text.size(), 57u);

  const Composed plain = Compose(kCommandLineBufferSize, "C:\\Tools\\Editor\\", "", "C:\\doc\\memo.txt");
  EXPECT_EQ(plain.text, "\"C:\\Tools\\Editor\\Vellumpad_0150.exe\" \"C:\\doc\\memo.txt\"");
  EXPECT_EQ(plain.result, 54);

  const Composed project = Compose(kCommandLineBufferSize, "C:\\Tools\\Editor\\", "/P ", "C:\\work\\a.vpj");
  EXPECT_EQ(project.text, "\"C:\\Tools\\Editor\\Vellumpad_0150.exe\" /P \"C:\\work\\a.vpj\"");
  EXPECT_EQ(project.result, static_cast<int>(project.text.size()));
}

TEST(ComposeCommandLine, EverySwitchStandsBetweenExecutableAndPath) {
  for (const char* encoding_switch : {"/S ", "/E ", "/U8 ", "/UB ", "/UL ", "/P "}) {
    const Composed c = Compose(kCommandLineBufferSize, "D:\\v\\", encoding_switch, "x.txt");
    EXPECT_EQ(c.text, std::string("\"D:\\v\\Vellumpad_0150.exe\" ") + encoding_switch + "\"x.txt\"");
  }
}

TEST(ComposeCommandLine, JapanesePathsPassByteForByte) {
  // 表 and ソ end in a 0x5C trail byte: nothing may be doubled, dropped or escaped.
  const char folder[] = "D:\\\x83\\\x83t\x83g\\\x95\\\\";  // D:\ソフト\表\ (trailing separator)
  const char path[] = "C:\\\x95\xB6\x8F\x91\\\x95\\.txt";  // C:\文書\表.txt
  const Composed c = Compose(kCommandLineBufferSize, folder, "/S ", path);
  EXPECT_EQ(c.text, std::string("\"") + folder + "Vellumpad_0150.exe\" /S \"" + path + "\"");
  EXPECT_EQ(c.result, static_cast<int>(c.text.size()));
}

TEST(ComposeCommandLine, LongestPossibleLineFitsTheBuffer) {
  const std::string folder = std::string(kMaxPath - 1, 'f') + "\\";  // 260 bytes with separator
  const std::string path(kMaxPath - 1, 'p');                         // 259 bytes
  const Composed c = Compose(kCommandLineBufferSize, folder.c_str(), "/U8 ", path.c_str());
  EXPECT_EQ(c.result, 546);
  EXPECT_EQ(c.text, "\"" + folder + "Vellumpad_0150.exe\" /U8 \"" + path + "\"");
  EXPECT_EQ(kCommandLineBufferSize, 547u);
  EXPECT_TRUE(c.guard_intact);
}

TEST(ComposeCommandLine, BufferShortByOneByteIsRefusedWithoutOverrun) {
  struct Case {
    std::string folder, encoding_switch, path;
  };
  const std::vector<Case> cases = {
      {"C:\\Tools\\Editor\\", "/E ", "C:\\doc\\memo.txt"},
      {"C:\\Tools\\Editor\\", "", "C:\\doc\\memo.txt"},
      {std::string(kMaxPath - 1, 'f') + "\\", "/UL ", std::string(kMaxPath - 1, 'p')},
  };
  for (const Case& k : cases) {
    const Composed fits =
        Compose(kCommandLineBufferSize, k.folder.c_str(), k.encoding_switch.c_str(), k.path.c_str());
    ASSERT_GT(fits.result, 0);
    const std::size_t exact = static_cast<std::size_t>(fits.result) + 1;

    const Composed just = Compose(exact, k.folder.c_str(), k.encoding_switch.c_str(), k.path.c_str());
    EXPECT_EQ(just.result, fits.result);
    EXPECT_EQ(just.text, fits.text);
    EXPECT_TRUE(just.guard_intact);

    const Composed short_by_one =
        Compose(exact - 1, k.folder.c_str(), k.encoding_switch.c_str(), k.path.c_str());
    EXPECT_EQ(short_by_one.result, -1);
    EXPECT_EQ(short_by_one.text, "");
    EXPECT_TRUE(short_by_one.guard_intact);
  }
}

TEST(ComposeCommandLine, ZeroSizedBufferIsNeverTouched) {
  const Composed c = Compose(0, "C:\\", "", "a");
  EXPECT_EQ(c.result, -1);
  EXPECT_TRUE(c.guard_intact);
}

}  // namespace
}  // namespace vlpd
