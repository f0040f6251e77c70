// The extension's texts are code page 932 bytes whatever the system's own code page is. They
// reach Windows as UTF-16 converted from code page 932, never through the system code page, so
// they read right on a system set to any language.
#pragma once

#include <windows.h>

namespace vlpd {

inline constexpr UINT kTextCodePage = 932;

// One text converted from code page 932, in a buffer of its own.
class WideText {
 public:
  // Longer than any text of ours with its terminator.
  static constexpr int kCapacity = 256;

  // Converts `text` up to its terminator, or exactly `length` bytes (terminators included, for
  // lists such as a dialog's filter). A text that does not convert or fit reads as empty.
  explicit WideText(const char* text, int length = -1);
  WideText(const WideText&) = delete;
  WideText& operator=(const WideText&) = delete;

  const wchar_t* Get() const { return text_; }

 private:
  wchar_t text_[kCapacity];
};

}  // namespace vlpd
