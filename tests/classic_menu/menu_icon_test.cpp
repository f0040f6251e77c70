// The caption bitmap's size for the system DPI and its premultiplied pixels.
#include "classic_menu/menu_icon.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vlpd {
namespace {

TEST(SmallIconSize, FollowsTheSystemDpiAsWindowsScalesIt) {
  // 100 and 125 DPI fall between whole pixels: rounded to nearest, not cut.
  const int cases[][2] = {{96, 16},  {120, 20}, {144, 24}, {168, 28}, {192, 32},
                          {288, 48}, {100, 17}, {125, 21}, {0, 16},   {-96, 16}};
  for (const auto& c : cases) EXPECT_EQ(SmallIconSize(c[0]), c[1]) << c[0] << " DPI";
}

TEST(PremultiplyIconPixels, ScalesByAlphaOrTakesAlphaFromTheMask) {
  const struct {
    std::vector<std::uint32_t> pixels, mask, expected;
  } cases[] = {
      // With alpha the mask is ignored. Half alpha of 1, 2 and 3 (0.5, 1.0 and 1.5) rounds to
      // nearest: 1, 1 and 2.
      {{0xFFFF8000u, 0x80FF8040u, 0x00FFFFFFu, 0x01FFFFFFu, 0x80010203u},
       {0xFFFFFFu, 0xFFFFFFu, 0xFFFFFFu, 0xFFFFFFu, 0xFFFFFFu},
       {0xFFFF8000u, 0x80804020u, 0x00000000u, 0x01010101u, 0x80010102u}},
      // An older icon without alpha: a set mask pixel is transparent.
      {{0x00123456u, 0x00FFFFFFu, 0x00000000u}, {0u, 0xFFFFFFu, 0u}, {0xFF123456u, 0u, 0xFF000000u}},
  };
  for (auto c : cases) {
    PremultiplyIconPixels(c.pixels.data(), c.mask.data(), c.pixels.size());
    EXPECT_EQ(c.pixels, c.expected);
  }
}

TEST(PremultiplyIconPixels, NoChannelEverExceedsAlpha) {
  std::vector<std::uint32_t> pixels;
  for (std::uint32_t alpha = 0; alpha < 256; alpha += 5) {
    for (std::uint32_t value : {0u, 1u, 127u, 128u, 254u, 255u})
      pixels.push_back(alpha << 24 | value * 0x010101u);
  }
  PremultiplyIconPixels(pixels.data(), std::vector<std::uint32_t>(pixels.size()).data(), pixels.size());
  for (std::uint32_t pixel : pixels) {
    for (int shift : {0, 8, 16}) ASSERT_LE((pixel >> shift) & 0xFF, pixel >> 24) << std::hex << pixel;
  }
}

}  // namespace
}  // namespace vlpd
