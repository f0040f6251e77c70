#include <windows.h>

#include "handler/clipboard_text.h"
#include "handler/commands.h"
#include "handler/handler_text.h"
#include "win/message_box.h"
#include "win/unique_handle.h"

namespace vlpd {
namespace {

// Holds the clipboard open and closes it on every path out of the copy.
class ClipboardGuard {
 public:
  ClipboardGuard() : open_(OpenClipboard(nullptr) != FALSE) {}
  ~ClipboardGuard() { Close(); }
  ClipboardGuard(const ClipboardGuard&) = delete;
  ClipboardGuard& operator=(const ClipboardGuard&) = delete;

  bool IsOpen() const { return open_; }
  void Close() {
    if (open_) CloseClipboard();
    open_ = false;
  }

 private:
  bool open_;
};

// Fills the block with the clipboard text; false when it cannot be locked or the text does not fit.
bool WriteText(HGLOBAL block, std::size_t size, const SelectionList& list) {
  const GlobalLockGuard lock(block);
  if (lock.Data() == nullptr) return false;
  return ComposeClipboardText(static_cast<char*>(lock.Data()), size, list) >= 0;
}

}  // namespace

void CopyNames(ShellSelection& selection) {
  ClipboardGuard clipboard;
  if (!clipboard.IsOpen()) return;
  if (FAILED(selection.Refill()) || selection.List().Count() < 1) return;

  const SelectionList& list = selection.List();
  const std::size_t size = ClipboardBlockSize(list.TotalLength(), list.Count());
  GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  if (!block || !WriteText(block.Get(), size, list)) {
    block.Reset();
    selection.Free();
    clipboard.Close();  // before the message, so the box never holds up other programs
    ShowMessage(text::kMessageCopyFailed, text::kTitleCopyFailed, MB_ICONERROR);
    return;
  }
  EmptyClipboard();
  // The clipboard owns the block from here on; when it refuses it, the block is still ours to free.
  if (SetClipboardData(CF_TEXT, block.Get()) != nullptr) block.Release();
}

}  // namespace vlpd
