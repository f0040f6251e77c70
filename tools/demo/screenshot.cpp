#include "tools/demo/screenshot.h"

#include <algorithm>

#include "tools/demo/png_writer.h"
#include "win/unique_handle.h"

namespace vlpd::demo {
namespace {

// An object selected into a device context, the one it replaced put back when it goes.
struct Selection {
  HDC dc;
  HGDIOBJ old;
  Selection(HDC into, HGDIOBJ object) : dc(into), old(SelectObject(into, object)) {}
  ~Selection() { SelectObject(dc, old); }
};

bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  FileHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace

RECT AreaOf(const std::vector<HWND>& windows) {
  RECT area{};
  for (HWND window : windows) {
    RECT r{};
    if (!GetWindowRect(window, &r)) continue;
    UnionRect(&area, &area, &r);
  }
  area.left = std::max<LONG>(area.left, 0);
  area.top = std::max<LONG>(area.top, 0);
  area.right = std::min<LONG>(area.right, GetSystemMetrics(SM_CXSCREEN));
  area.bottom = std::min<LONG>(area.bottom, GetSystemMetrics(SM_CYSCREEN));
  return area;
}

bool SaveScreenArea(const RECT& area, const std::string& path) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;

  const ScreenDc screen;
  const MemoryDc memory(CreateCompatibleDC(screen.Get()));
  if (screen.Get() == nullptr || !memory) return false;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows, as PNG stores them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const GdiObject bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return false;
  {
    const Selection selected(memory.Get(), bitmap.Get());
    if (!BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), area.left, area.top, SRCCOPY)) return false;
    GdiFlush();
  }

  // DIB rows are BGR and padded to four bytes; PNG wants packed RGB.
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
  const auto* dib = static_cast<const unsigned char*>(bits);
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * 3 * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    const unsigned char* from = dib + static_cast<size_t>(y) * stride;
    unsigned char* to = rgb.data() + static_cast<size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      to[x * 3] = from[x * 3 + 2];
      to[x * 3 + 1] = from[x * 3 + 1];
      to[x * 3 + 2] = from[x * 3];
    }
  }
  return WriteWholeFile(path, EncodePng(width, height, rgb.data(), static_cast<size_t>(width) * 3));
}

}  // namespace vlpd::demo
