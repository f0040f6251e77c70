#include "tests/support/clipboard.h"

#include <cstring>

#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

void SetBlock(UINT format, const std::string& text) {
  GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1));
  if (!block) return;
  {
    const GlobalLockGuard lock(block.Get());
    if (lock.Data() == nullptr) return;
    std::memcpy(lock.Data(), text.c_str(), text.size() + 1);
  }
  if (SetClipboardData(format, block.Get()) != nullptr) block.Release();
}

}  // namespace

WindowHandle HiddenWindow() {
  return WindowHandle(
      CreateWindowA("STATIC", "vlpd clipboard test", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
}

bool ClipboardIsFree() {
  const WindowHandle window = HiddenWindow();
  return ClipboardGuard(window.Get()).IsOpen();
}

ClipboardText ReadClipboardText(UINT format) {
  ClipboardText out;
  const WindowHandle window = HiddenWindow();
  const ClipboardGuard clipboard(window.Get());
  if (!clipboard.IsOpen()) return out;
  if (HANDLE data = GetClipboardData(format)) {
    out.present = true;
    out.block_size = GlobalSize(data);
    const GlobalLockGuard lock(data);
    if (lock.Data() != nullptr) out.bytes.assign(static_cast<const char*>(lock.Data()), out.block_size);
  }
  return out;
}

void PutClipboardText(const std::string& text, UINT other_format) {
  const WindowHandle window = HiddenWindow();
  const ClipboardGuard clipboard(window.Get());
  if (!clipboard.IsOpen()) return;
  EmptyClipboard();
  SetBlock(CF_TEXT, text);
  if (other_format != 0) SetBlock(other_format, text);
}

}  // namespace vlpd::test
