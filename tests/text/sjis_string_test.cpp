#include "text/sjis_string.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "text/sjis_class.h"

namespace vlpd {
namespace {

TEST(SjisClass, LeadAndTrailRanges) {
  for (unsigned b = 0; b < 256; ++b) {
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    const bool trail = (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
    EXPECT_EQ(IsSjisLead(static_cast<unsigned char>(b)), lead) << b;
    EXPECT_EQ(IsSjisTrail(static_cast<unsigned char>(b)), trail) << b;
    EXPECT_EQ(kSjisClass[b] & ~3u, 0u) << b;
  }
}

TEST(IsCharStart, TrailBackslashIsNoCharacterStart) {
  const char s[] = "\x95\x5C\x5C";  // 表 followed by a real backslash
  EXPECT_TRUE(IsCharStart(s, s + 0));
  EXPECT_FALSE(IsCharStart(s, s + 1));
  EXPECT_TRUE(IsCharStart(s, s + 2));
  EXPECT_FALSE(IsCharStart(s + 1, s));  // before the start
}

TEST(IsCharStart, LoneLeadAndKatakanaAreSingleCharacters) {
  const char s[] = "\xB1\x81\x20\x83\x5C";  // ｱ, lead before a blank, ソ
  EXPECT_TRUE(IsCharStart(s, s + 1));
  EXPECT_TRUE(IsCharStart(s, s + 2));  // 0x20 is no trail byte
  EXPECT_TRUE(IsCharStart(s, s + 3));
  EXPECT_FALSE(IsCharStart(s, s + 4));
}

TEST(LowerAscii, FoldsOnlySingleByteCapitals) {
  char abc[] = "ABC";
  LowerAscii(abc);
  EXPECT_STREQ(abc, "abc");

  char kana[] = "\x83\x41\x42";  // ア then B: the trail 0x41 stays
  LowerAscii(kana);
  EXPECT_STREQ(kana, "\x83\x41\x62");

  char lone[] = "\x41\x82";  // lone lead byte before the terminator
  LowerAscii(lone);
  EXPECT_STREQ(lone, "\x61\x82");

  char full[] = "\x82\x60Z\xB1";  // full-width Ａ, Z, half-width ｱ
  LowerAscii(full);
  EXPECT_STREQ(full, "\x82\x60z\xB1");

  // A byte that leads in 936 but is a letter of 1252 keeps the capital after it only in 936.
  const std::uint8_t gbk_ranges[kLeadRangeBytes] = {0x81, 0xFE};
  char gbk[] = "\xFE\x41";
  LowerAscii(gbk, MakeLeadByteTable(936, gbk_ranges));
  EXPECT_STREQ(gbk, "\xFE\x41");
  LowerAscii(gbk, MakeLeadByteTable(1252, {}));
  EXPECT_STREQ(gbk, "\xFE\x61");
}

TEST(CompareText, AbsentArgumentsAndSignedBytes) {
  EXPECT_EQ(CompareText(nullptr, "a"), -1);
  EXPECT_EQ(CompareText("a", nullptr), -1);
  EXPECT_EQ(CompareText(nullptr, nullptr), -1);
  EXPECT_EQ(CompareText("abc", "abc"), 0);
  EXPECT_EQ(CompareText("", ""), 0);
  EXPECT_EQ(CompareText("abc", "abd"), -1);
  EXPECT_EQ(CompareText("abd", "abc"), 1);
  // The terminator orders after any byte at or above 0x80.
  EXPECT_EQ(CompareText("abc", "abc\x82\xA0"), 1);
  EXPECT_EQ(CompareText("abc\x82\xA0", "abc"), -1);
  EXPECT_EQ(CompareText(".vpj", ".VPJ"), 1);
}

}  // namespace
}  // namespace vlpd
