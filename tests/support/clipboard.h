// The real clipboard as another program sees it: put text there, read it back, check it is free.
#pragma once

#include <windows.h>

#include <string>

#include "win/unique_handle.h"

namespace vlpd::test {

// A hidden window of the calling thread; the clipboard tells owners apart by window.
WindowHandle HiddenWindow();

struct ClipboardText {
  bool present = false;
  SIZE_T block_size = 0;
  std::string bytes;  // the whole block
};

// Opening with a window of our own succeeds only while nobody else holds the clipboard open,
// the DLL included (it opens with no window).
bool ClipboardIsFree();
// The whole block of `format` on the clipboard, if any.
ClipboardText ReadClipboardText(UINT format = CF_TEXT);
// Empties the clipboard and leaves `text` as CF_TEXT, owned by a window of ours; with a non-zero
// `other_format`, a second block of that format beside it.
void PutClipboardText(const std::string& text, UINT other_format = 0);

}  // namespace vlpd::test
