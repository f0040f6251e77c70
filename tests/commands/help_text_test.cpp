// Help texts by command offset and the bounded copies made of them.
#include "commands/help_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "commands/command_table.h"
#include "text/sjis_class.h"
#include "text/sjis_string.h"

namespace vlpd {
namespace {

TEST(HelpText, NoTextBeyondTheLastCommand) {
  EXPECT_EQ(HelpText(kCommandCount), nullptr);
  EXPECT_EQ(HelpText(0x10000), nullptr);
  EXPECT_EQ(HelpText(0xFFFFFFFFu), nullptr);
}

// Copies `text` into a buffer of `capacity` bytes followed by guard bytes.
std::string CopyWithGuard(const char* text, std::size_t capacity, std::size_t* copied) {
  std::vector<char> buffer(capacity + 8, '\x7F');
  *copied = CopyBoundedAnsi(text, buffer.data(), capacity);
  for (std::size_t k = capacity; k < buffer.size(); ++k) EXPECT_EQ(buffer[k], '\x7F') << "wrote at " << k;
  if (capacity == 0) return {};
  EXPECT_EQ(buffer[*copied], '\0');
  return std::string(buffer.data(), *copied);
}

TEST(CopyBoundedAnsi, CopiesWholeTextsWhenTheyFit) {
  for (unsigned offset = 0; offset < kCommandCount; ++offset) {
    const char* help = HelpText(offset);
    const std::size_t length = std::strlen(help);
    std::size_t copied = 0;
    EXPECT_EQ(CopyWithGuard(help, length + 1, &copied), help);
    EXPECT_EQ(copied, length);
    EXPECT_EQ(CopyWithGuard(help, 64, &copied), help);
  }
}

TEST(CopyBoundedAnsi, ShortensAtCharacterBoundariesAndNeverWritesPastTheCapacity) {
  for (unsigned offset = 0; offset < kCommandCount; ++offset) {
    const char* help = HelpText(offset);
    const std::size_t length = std::strlen(help);
    for (std::size_t capacity = 0; capacity <= length; ++capacity) {
      SCOPED_TRACE(testing::Message() << "offset " << offset << " capacity " << capacity);
      std::size_t copied = 0;
      const std::string got = CopyWithGuard(help, capacity, &copied);
      if (capacity == 0) {
        EXPECT_EQ(copied, 0u);
        continue;
      }
      EXPECT_LT(copied, capacity);
      EXPECT_EQ(got, std::string(help, copied));
      EXPECT_TRUE(IsCharStart(help, help + copied));
      // As long as possible: the next character would not have fitted.
      const std::size_t next = IsSjisLead(static_cast<unsigned char>(help[copied])) ? 2 : 1;
      EXPECT_GT(copied + next + 1, capacity);
    }
  }
}

TEST(CopyBoundedAnsi, KeepsADoubleByteCharacterWholeOrDropsIt) {
  char out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(CopyBoundedAnsi("a\x8A"
                            "J",
                            out, 3),
            1u);  // 開 would need bytes 1 and 2
  EXPECT_STREQ(out, "a");
  EXPECT_EQ(CopyBoundedAnsi("a\x8A"
                            "J",
                            out, 4),
            3u);
  EXPECT_STREQ(out,
               "a\x8A"
               "J");
}

TEST(CopyBoundedUtf16, ShortensWithoutSplittingSurrogatePairs) {
  const char16_t text[] = u"ab\U0001F600c";  // a, b, high, low, c
  // Units kept for each capacity: never a high surrogate without its partner.
  const std::size_t want_by_capacity[8] = {0, 0, 1, 2, 2, 4, 5, 5};
  char16_t out[8];
  for (std::size_t capacity = 0; capacity < 8; ++capacity) {
    std::fill(std::begin(out), std::end(out), u'#');
    const std::size_t copied = CopyBoundedUtf16(text, out, capacity);
    SCOPED_TRACE(capacity);
    for (std::size_t k = capacity; k < 8; ++k) EXPECT_EQ(out[k], u'#');
    if (capacity == 0) {
      EXPECT_EQ(copied, 0u);
      continue;
    }
    const std::size_t want = want_by_capacity[capacity];
    EXPECT_EQ(copied, want);
    EXPECT_EQ(std::u16string(out, copied), std::u16string(text, want));
    EXPECT_EQ(out[copied], u'\0');
  }
}

}  // namespace
}  // namespace vlpd
