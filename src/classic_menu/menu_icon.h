// The editor's icon as a menu bitmap: its size for a DPI and its pixels made premultiplied, as
// menus draw 32-bit bitmaps. Plain data: the Windows layer loads the icon and makes the bitmap.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vlpd {

// The small-icon size (SM_CXSMICON) at `dpi`: 16 pixels at 96 DPI, scaled and rounded to nearest.
// 16 for a DPI of 0 or less.
int SmallIconSize(int dpi);

// Turns `count` 32-bit BGRA pixels of an icon's colour image into premultiplied ones, so that no
// channel exceeds alpha. An image with no alpha at all (an older icon) takes its alpha from the
// icon's mask, read as 32-bit pixels too: a set (non-zero) mask pixel is transparent.
void PremultiplyIconPixels(std::uint32_t* color, const std::uint32_t* mask, std::size_t count);

}  // namespace vlpd
