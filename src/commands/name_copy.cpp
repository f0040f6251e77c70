#include <windows.h>

#include "commands/clipboard_text.h"
#include "commands/handler_text.h"
#include "commands/run_command.h"
#include "win/message_box.h"
#include "win/unique_handle.h"

namespace vlpd {
namespace {

// Fills the block with the clipboard text; false when it cannot be locked or the text does not fit.
bool WriteText(HGLOBAL block, std::size_t size, const SelectionList& list, bool quoted) {
  const GlobalLockGuard lock(block);
  if (lock.Data() == nullptr) return false;
  return ComposeClipboardText(static_cast<char*>(lock.Data()), size, list, quoted) >= 0;
}

bool WriteWideText(HGLOBAL block, std::size_t units, const SelectionList& list, bool quoted) {
  const GlobalLockGuard lock(block);
  if (lock.Data() == nullptr) return false;
  return ComposeClipboardWideText(static_cast<char16_t*>(lock.Data()), units, list, quoted) >= 0;
}

// Hands `block` to the clipboard as `format`; a block it refuses is still ours to free.
void Place(UINT format, GlobalBlock& block) {
  if (SetClipboardData(format, block.Get()) != nullptr) block.Release();
}

}  // namespace

void CopyNames(ShellSelection& selection, bool quoted) {
  ClipboardGuard clipboard;
  if (!clipboard.IsOpen()) return;
  if (FAILED(selection.Refill()) || selection.List().Count() < 1) return;

  const SelectionList& list = selection.List();
  const std::size_t size = ClipboardBlockSize(list.TotalLength(), list.Count(), quoted);
  GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  // The true names beside the ANSI paths, for programs that read Unicode: where the code page
  // lacks a character the ANSI path is the short name, the Unicode text the name as the user sees
  // it. Every name of the shell's list has its UTF-16 form.
  const std::size_t wide_units = ClipboardWideUnits(list, quoted);
  GlobalBlock wide_block;
  if (wide_units > 0)
    wide_block.Reset(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, wide_units * sizeof(WCHAR)));
  if (!block || !WriteText(block.Get(), size, list, quoted) ||
      (wide_units > 0 && (!wide_block || !WriteWideText(wide_block.Get(), wide_units, list, quoted)))) {
    block.Reset();
    wide_block.Reset();
    selection.Free();
    clipboard.Close();  // before the message, so the box never holds up other programs
    ShowMessage(text::kMessageCopyFailed, text::kTitleCopyFailed, MB_ICONERROR);
    return;
  }
  EmptyClipboard();
  // The clipboard owns each block from here on.
  Place(CF_TEXT, block);
  if (wide_block) Place(CF_UNICODETEXT, wide_block);
}

}  // namespace vlpd
