#include "commands/clipboard_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "selection/selection_list.h"

namespace vlpd {
namespace {

constexpr char kGuard = '#';

bool GuardIntact(const std::vector<char>& buffer, std::size_t from) {
  for (std::size_t i = from; i < buffer.size(); ++i) {
    if (buffer[i] != kGuard) return false;
  }
  return true;
}

TEST(ClipboardText, TwoPathsJoinedByCrLfInAnEighteenByteBlock) {
  const char* const names[] = {"C:\\a.txt", "C:\\dir"};
  const std::size_t block = ClipboardBlockSize(14, 2);
  EXPECT_EQ(block, 18u);

  std::vector<char> buffer(block + 8, kGuard);
  std::memset(buffer.data(), 0, block);  // the block comes zero-initialised
  EXPECT_EQ(ComposeClipboardText(buffer.data(), block, names, 2), 16);
  EXPECT_EQ(std::string(buffer.data(), block), std::string("C:\\a.txt\r\nC:\\dir\0\0", 18));
  EXPECT_TRUE(GuardIntact(buffer, block));
}

TEST(ClipboardText, OnePathHasNoLineEnd) {
  const char* const names[] = {"C:\\\x95\\\\memo.txt"};  // C:\表\memo.txt
  const int total = static_cast<int>(std::strlen(names[0]));
  const std::size_t block = ClipboardBlockSize(total, 1);
  EXPECT_EQ(block, static_cast<std::size_t>(total) + 2);

  std::vector<char> buffer(block, kGuard);
  EXPECT_EQ(ComposeClipboardText(buffer.data(), block, names, 1), total);
  EXPECT_STREQ(buffer.data(), names[0]);
}

TEST(ClipboardText, ThreePathsKeepTheirOrder) {
  const char* const names[] = {"C:\\a.txt", "C:\\dir", "D:\\b c.txt"};
  char buffer[64];
  EXPECT_EQ(ComposeClipboardText(buffer, sizeof buffer, names, 3), 28);
  EXPECT_STREQ(buffer, "C:\\a.txt\r\nC:\\dir\r\nD:\\b c.txt");
}

TEST(ClipboardText, BufferShortByOneByteIsRefusedWithoutOverrun) {
  const char* const names[] = {"C:\\a.txt", "C:\\dir"};
  const std::size_t exact = 17;  // 16 characters and the terminator
  std::vector<char> fits(exact + 4, kGuard);
  EXPECT_EQ(ComposeClipboardText(fits.data(), exact, names, 2), 16);
  EXPECT_TRUE(GuardIntact(fits, exact));

  std::vector<char> short_by_one(exact + 4, kGuard);
  EXPECT_EQ(ComposeClipboardText(short_by_one.data(), exact - 1, names, 2), -1);
  EXPECT_EQ(short_by_one[0], '\0');
  EXPECT_TRUE(GuardIntact(short_by_one, exact - 1));
}

// QuotedNames: each path in double quotes; the block and the UTF-16 units grow by the quotes,
// exactly: one byte short is refused.
TEST(ClipboardText, QuotedNamesFillTheirBlockExactly) {
  const char* const names[] = {"C:\\a b.txt", "C:\\dir"};
  const std::size_t block = ClipboardBlockSize(16, 2, true);
  EXPECT_EQ(block, 24u);
  std::vector<char> buffer(block + 4, kGuard);
  EXPECT_EQ(ComposeClipboardText(buffer.data(), block - 1, names, 2, true), 22);
  EXPECT_STREQ(buffer.data(), "\"C:\\a b.txt\"\r\n\"C:\\dir\"");
  EXPECT_TRUE(GuardIntact(buffer, block - 1));
  EXPECT_EQ(ComposeClipboardText(buffer.data(), 22, names, 2, true), -1);

  SelectionList list;
  ASSERT_TRUE(list.Reserve(1));
  const std::u16string wide = u"C:\\caf\u00E9.txt";
  ASSERT_TRUE(list.Append("C:\\CAF_~1.TXT", 13, wide.c_str(), wide.size()));
  const std::size_t units = ClipboardWideUnits(list, true);
  EXPECT_EQ(units, wide.size() + 4);
  std::vector<char16_t> text(units, u'#');
  EXPECT_EQ(ComposeClipboardWideText(text.data(), units, list, true), static_cast<int>(wide.size()) + 2);
  EXPECT_EQ(std::u16string(text.data()), u"\"" + wide + u"\"");
}

TEST(ClipboardText, BlockSizeOfNothingIsZero) {
  EXPECT_EQ(ClipboardBlockSize(0, 0), 0u);
  EXPECT_EQ(ClipboardBlockSize(5, -1), 0u);
  EXPECT_EQ(ClipboardBlockSize(-1, 2), 0u);
}

TEST(ClipboardText, ComposesFromTheSelectionList) {
  SelectionList list;
  ASSERT_TRUE(list.Reserve(3));
  for (const char* name : {"C:\\a.txt", "C:\\dir", "D:\\b c.txt"}) {
    ASSERT_TRUE(list.Append(name, std::strlen(name)));
  }
  const std::size_t block = ClipboardBlockSize(list.TotalLength(), list.Count());
  EXPECT_EQ(block, 30u);
  std::vector<char> buffer(block, kGuard);
  EXPECT_EQ(ComposeClipboardText(buffer.data(), block, list), 28);
  EXPECT_STREQ(buffer.data(), "C:\\a.txt\r\nC:\\dir\r\nD:\\b c.txt");
}

TEST(ClipboardText, ComposesTheUtf16NamesInTheSameOrder) {
  SelectionList list;
  ASSERT_TRUE(list.Reserve(2));
  const std::u16string first = u"C:\\caf\u00E9\u2615.txt";
  const std::u16string second = u"C:\\\u8868";
  ASSERT_TRUE(list.Append("C:\\CAF_~1.TXT", 13, first.c_str(), first.size()));
  ASSERT_TRUE(list.Append("C:\\\x95\x5C", 5, second.c_str(), second.size()));
  const std::size_t units = ClipboardWideUnits(list);
  EXPECT_EQ(units, first.size() + second.size() + 4);

  std::vector<char16_t> buffer(units + 4, u'#');
  EXPECT_EQ(ComposeClipboardWideText(buffer.data(), units, list), static_cast<int>(units) - 2);
  EXPECT_EQ(std::u16string(buffer.data(), units - 2), first + u"\r\n" + second);
  EXPECT_EQ(buffer[units - 2], u'\0');
  EXPECT_EQ(std::u16string(buffer.data() + units, 4), u"####");

  // One unit short of the text and its terminator: nothing but an empty string.
  std::vector<char16_t> short_buffer(units - 2, u'#');
  EXPECT_EQ(ComposeClipboardWideText(short_buffer.data(), short_buffer.size(), list), -1);
  EXPECT_EQ(short_buffer[0], u'\0');
  EXPECT_EQ(short_buffer[1], u'#');
}

TEST(ClipboardText, NoUtf16TextWhenANameHasNone) {
  SelectionList list;
  ASSERT_TRUE(list.Reserve(2));
  const std::u16string known = u"C:\\a.txt";
  ASSERT_TRUE(list.Append("C:\\a.txt", 8, known.c_str(), known.size()));
  ASSERT_TRUE(list.Append("C:\\b.txt", 8));
  EXPECT_EQ(ClipboardWideUnits(list), 0u);
  std::vector<char16_t> buffer(64, u'#');
  EXPECT_EQ(ComposeClipboardWideText(buffer.data(), buffer.size(), list), -1);
  EXPECT_EQ(buffer[0], u'\0');

  SelectionList empty;
  EXPECT_EQ(ClipboardWideUnits(empty), 0u);
}

}  // namespace
}  // namespace vlpd
