#include "win/message_box.h"

namespace vlpd {

void ShowMessage(const char* text, const char* title, UINT icon, HWND owner) {
  MessageBoxA(owner, text, title, MB_OK | icon);
}

}  // namespace vlpd
