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

HBITMAP MakeBitmap() {
  const ScreenDc screen;
  if (screen.Get() == nullptr) return nullptr;
  const int size = SmallIconSize(GetDeviceCaps(screen.Get(), LOGPIXELSX));
  const IconHandle icon(static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(kModuleIconId),
                                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  ICONINFO parts = {};
  if (!icon || !GetIconInfo(icon.Get(), &parts)) return nullptr;
  const GdiObject color(parts.hbmColor);
  const GdiObject mask(parts.hbmMask);
  if (!color || !mask) return nullptr;

  BITMAPINFO image = TopDownImage(size);
  void* bits = nullptr;
  GdiObject bitmap(CreateDIBSection(screen.Get(), &image, DIB_RGB_COLORS, &bits, nullptr, 0));
  const std::size_t count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
  const std::unique_ptr<std::uint32_t[]> mask_pixels(new (std::nothrow) std::uint32_t[count]);
  if (!bitmap || bits == nullptr || !mask_pixels) return nullptr;
  const auto lines = static_cast<UINT>(size);
  if (GetDIBits(screen.Get(), static_cast<HBITMAP>(color.Get()), 0, lines, bits, &image, DIB_RGB_COLORS) !=
          size ||
      GetDIBits(screen.Get(), static_cast<HBITMAP>(mask.Get()), 0, lines, mask_pixels.get(), &image,
                DIB_RGB_COLORS) != size) {
    return nullptr;
  }
  PremultiplyIconPixels(static_cast<std::uint32_t*>(bits), mask_pixels.get(), count);
  GdiFlush();
  return static_cast<HBITMAP>(bitmap.Release());
}

}  // namespace

HBITMAP CaptionBitmap() {
  if (g_bitmap != nullptr) return static_cast<HBITMAP>(g_bitmap);
  HBITMAP made = MakeBitmap();
  if (made == nullptr) return nullptr;
  PVOID earlier = InterlockedCompareExchangePointer(&g_bitmap, made, nullptr);
  if (earlier == nullptr) return made;
  DeleteObject(made);  // another thread's bitmap came first
  return static_cast<HBITMAP>(earlier);
}

void FreeCaptionBitmap() {
  PVOID bitmap = InterlockedExchangePointer(&g_bitmap, nullptr);
  if (bitmap != nullptr) DeleteObject(static_cast<HBITMAP>(bitmap));
}

}  // namespace vlpd
