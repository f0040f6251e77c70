#include "win/wide_text.h"

namespace vlpd {

WideText::WideText(const char* text, int length) {
  text_[0] = L'\0';
  if (text == nullptr) return;
  // With an explicit length the terminator is part of the bytes converted; without one,
  // MultiByteToWideChar writes it.
  const int units =
      MultiByteToWideChar(kTextCodePage, MB_ERR_INVALID_CHARS, text, length, text_, kCapacity - 1);
  text_[units > 0 ? units : 0] = L'\0';
}

}  // namespace vlpd
