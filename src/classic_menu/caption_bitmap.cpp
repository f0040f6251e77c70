#include "classic_menu/caption_bitmap.h"

#include <cstdint>
#include <memory>
#include <new>

#include "classic_menu/menu_icon.h"
#include "win/module_state.h"
#include "win/unique_handle.h"

namespace vlpd {
namespace {

PVOID volatile g_bitmap = nullptr;

// A top-down 32-bit image of `size` pixels square.
BITMAPINFO TopDownImage(int size) {
  BITMAPINFO image = {};
  image.bmiHeader.biSize = sizeof image.bmiHeader;
  image.bmiHeader.biWidth = size;
  image.bmiHeader.biHeight = -size;
  image.bmiHeader.biPlanes = 1;
  image.bmiHeader.biBitCount = 32;
  image.bmiHeader.biCompression = BI_RGB;
  return image;
}

GdiObject MakeBitmap() {
  const ScreenDc screen;
  if (screen.Get() == nullptr) return GdiObject();
  const int size = SmallIconSize(GetDeviceCaps(screen.Get(), LOGPIXELSX));
  const IconHandle icon(static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(kModuleIconId),
                                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  ICONINFO parts = {};
  if (!icon || !GetIconInfo(icon.Get(), &parts)) return GdiObject();
  const GdiObject color(parts.hbmColor);
  const GdiObject mask(parts.hbmMask);
  if (!color || !mask) return GdiObject();

  BITMAPINFO image = TopDownImage(size);
  void* bits = nullptr;
  GdiObject bitmap(CreateDIBSection(screen.Get(), &image, DIB_RGB_COLORS, &bits, nullptr, 0));
  const std::size_t count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
  const std::unique_ptr<std::uint32_t[]> mask_pixels(new (std::nothrow) std::uint32_t[count]);
  if (!bitmap || bits == nullptr || !mask_pixels) return GdiObject();
  const auto lines = static_cast<UINT>(size);
  if (GetDIBits(screen.Get(), static_cast<HBITMAP>(color.Get()), 0, lines, bits, &image, DIB_RGB_COLORS) !=
          size ||
      GetDIBits(screen.Get(), static_cast<HBITMAP>(mask.Get()), 0, lines, mask_pixels.get(), &image,
                DIB_RGB_COLORS) != size) {
    return GdiObject();
  }
  PremultiplyIconPixels(static_cast<std::uint32_t*>(bits), mask_pixels.get(), count);
  GdiFlush();
  return bitmap;
}

}  // namespace

HBITMAP CaptionBitmap() {
  if (g_bitmap != nullptr) return static_cast<HBITMAP>(g_bitmap);
  GdiObject made = MakeBitmap();
  if (!made) return nullptr;
  PVOID earlier = InterlockedCompareExchangePointer(&g_bitmap, made.Get(), nullptr);
  if (earlier == nullptr) return static_cast<HBITMAP>(made.Release());
  return static_cast<HBITMAP>(earlier);  // another thread's bitmap came first: ours goes
}

void FreeCaptionBitmap() {
  // The cached bitmap, if any, goes with its owner.
  const GdiObject bitmap(InterlockedExchangePointer(&g_bitmap, nullptr));
}

}  // namespace vlpd
