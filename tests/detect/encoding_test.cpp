#include "detect/encoding.h"

#include <gtest/gtest.h>

#include "detect/euc_class.h"

namespace vlpd {
namespace {

TEST(EncodingSwitch, EachDetectableCodeHasItsSwitch) {
  EXPECT_STREQ(EncodingSwitch(kEncodingShiftJis), "/S ");
  EXPECT_STREQ(EncodingSwitch(kEncodingEuc), "/E ");
  EXPECT_STREQ(EncodingSwitch(kEncodingUtf8), "/U8 ");
  EXPECT_STREQ(EncodingSwitch(kEncodingUtf16Be), "/UB ");
  EXPECT_STREQ(EncodingSwitch(kEncodingUtf16Le), "/UL ");
}

TEST(EncodingSwitch, OtherCodesGiveNoSwitch) {
  // 0 is automatic, 3 is never produced, -1 is a failed read, -4..-6 never leave the detector.
  for (int code : {kEncodingAuto, 3, kEncodingReadFailed, -4, -5, -6, 7, 100}) {
    ASSERT_NE(EncodingSwitch(code), nullptr) << code;
    EXPECT_STREQ(EncodingSwitch(code), "") << code;
  }
}

TEST(EucClass, EntriesByByteRange) {
  for (unsigned b = 0; b < 256; ++b) {
    std::uint8_t expected = 0x00;  // 0x00-0x8D, 0xA0, 0xFF
    if (b == 0x8E) expected = 0x04;
    if (b == 0x8F) expected = 0x08;
    if (b >= 0x90 && b <= 0x9F) expected = 0x40;
    if ((b >= 0xA1 && b <= 0xDF) || (b >= 0xF0 && b <= 0xFE)) expected = 0x83;
    if (b >= 0xE0 && b <= 0xEF) expected = 0x03;
    EXPECT_EQ(kEucClass[b], expected) << std::hex << b;
  }
}

}  // namespace
}  // namespace vlpd
