#include "classic_menu/menu_icon.h"

namespace vlpd {
namespace {

constexpr int kBaseDpi = 96;
constexpr int kBaseSmallIcon = 16;

std::uint32_t Scale(std::uint32_t channel, std::uint32_t alpha) { return (channel * alpha + 127) / 255; }

}  // namespace

int SmallIconSize(int dpi) {
  if (dpi <= 0) return kBaseSmallIcon;
  return (kBaseSmallIcon * dpi + kBaseDpi / 2) / kBaseDpi;
}

void PremultiplyIconPixels(std::uint32_t* color, const std::uint32_t* mask, std::size_t count) {
  bool has_alpha = false;
  for (std::size_t i = 0; i < count && !has_alpha; ++i) has_alpha = (color[i] >> 24) != 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t pixel = color[i];
    const std::uint32_t alpha = has_alpha ? pixel >> 24 : ((mask[i] & 0xFFFFFFu) != 0 ? 0u : 255u);
    const std::uint32_t blue = Scale(pixel & 0xFF, alpha);
    const std::uint32_t green = Scale((pixel >> 8) & 0xFF, alpha);
    const std::uint32_t red = Scale((pixel >> 16) & 0xFF, alpha);
    color[i] = alpha << 24 | red << 16 | green << 8 | blue;
  }
}

}  // namespace vlpd
