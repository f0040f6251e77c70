#include "win/message_box.h"

#include "win/wide_text.h"

namespace vlpd {

void ShowMessage(const char* text, const char* title, UINT icon, HWND owner) {
  const WideText wide_text(text);
  const WideText wide_title(title);
  MessageBoxW(owner, wide_text.Get(), wide_title.Get(), MB_OK | icon);
}

}  // namespace vlpd
