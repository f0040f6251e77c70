// The name copy's clipboard text: the selected paths in order, joined by CR LF, NUL-terminated.
#pragma once

#include <cstddef>

#include "selection/selection_list.h"

namespace vlpd {

// Size of the global block for `count` paths of `total_length` bytes together: the text, its
// terminator and one spare zero byte (total + 2 x count). 0 for no paths or negative inputs.
std::size_t ClipboardBlockSize(int total_length, int count);

// Writes the `count` paths joined by CR LF (none after the last) and a terminator into `out` and
// returns the text's length. Returns -1, leaving an empty string when size > 0, when it does not
// fit `size` bytes. Never writes past `size`.
int ComposeClipboardText(char* out, std::size_t size, const char* const* names, int count);
int ComposeClipboardText(char* out, std::size_t size, const SelectionList& list);

}  // namespace vlpd
