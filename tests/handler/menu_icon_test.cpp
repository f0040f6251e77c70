// The caption bitmap's size for the system DPI and its premultiplied pixels.
#include "handler/menu_icon.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vlpd {
namespace {

TEST(SmallIconSize, FollowsTheSystemDpiAsWindowsScalesIt) {
  const struct {
    int dpi;
    int size;
  } cases[] = {{96, 16}, {120, 20}, {144, 24}, {168, 28}, {192, 32}, {288, 48}, {0, 16}, {-96, 16}};
  for (const auto& c : cases) EXPECT_EQ(SmallIconSize(c.dpi), c.size) << c.dpi << " DPI";
}

// Every channel of every pixel at most its alpha: what a premultiplied bitmap means.
bool Premultiplied(const std::vector<std::uint32_t>& pixels) {
  for (std::uint32_t pixel : pixels) {
    const std::uint32_t alpha = pixel >> 24;
    if ((pixel & 0xFF) > alpha || ((pixel >> 8) & 0xFF) > alpha || ((pixel >> 16) & 0xFF) > alpha)
      return false;
  }
  return true;
}

TEST(PremultiplyIconPixels, ScalesEachChannelByItsAlpha) {
  std::vector<std::uint32_t> pixels = {0xFFFF8000u, 0x80FF8040u, 0x00FFFFFFu, 0x01FFFFFFu, 0x40000000u};
  const std::vector<std::uint32_t> mask(pixels.size(), 0xFFFFFFu);  // the mask is ignored: alpha is there
  PremultiplyIconPixels(pixels.data(), mask.data(), pixels.size());
  const std::vector<std::uint32_t> expected = {0xFFFF8000u, 0x80804020u, 0x00000000u, 0x01010101u,
                                               0x40000000u};
  EXPECT_EQ(pixels, expected);
  EXPECT_TRUE(Premultiplied(pixels));
}

TEST(PremultiplyIconPixels, AnIconWithoutAlphaTakesItFromItsMask) {
  std::vector<std::uint32_t> pixels = {0x00123456u, 0x00FFFFFFu, 0x00000000u};
  const std::vector<std::uint32_t> mask = {0x000000u, 0xFFFFFFu, 0x000000u};  // set: transparent
  PremultiplyIconPixels(pixels.data(), mask.data(), pixels.size());
  const std::vector<std::uint32_t> expected = {0xFF123456u, 0x00000000u, 0xFF000000u};
  EXPECT_EQ(pixels, expected);
  EXPECT_TRUE(Premultiplied(pixels));
}

TEST(PremultiplyIconPixels, EveryStraightPixelComesOutPremultiplied) {
  std::vector<std::uint32_t> pixels;
  for (std::uint32_t alpha = 0; alpha < 256; alpha += 5) {
    for (std::uint32_t value : {0u, 1u, 127u, 128u, 254u, 255u})
      pixels.push_back(alpha << 24 | value * 0x010101u);
  }
  const std::vector<std::uint32_t> mask(pixels.size(), 0);
  PremultiplyIconPixels(pixels.data(), mask.data(), pixels.size());
  EXPECT_TRUE(Premultiplied(pixels));
}

}  // namespace
}  // namespace vlpd
