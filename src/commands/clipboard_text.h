// The name copy's clipboard texts: the selected paths in order, joined by CR LF, NUL-terminated;
// once as ANSI paths (CF_TEXT) and once as the files' true UTF-16 names (CF_UNICODETEXT). With
// `quoted` (the QuotedNames setting) each path stands in double quotes.
#pragma once

#include <cstddef>

#include "selection/selection_list.h"

namespace vlpd {

// Size of the global block for `count` paths of `total_length` bytes together: the text, its
// terminator and one spare zero byte (total + 2 x count, and 2 x count more for the quotes). 0 for
// no paths or negative inputs.
std::size_t ClipboardBlockSize(int total_length, int count, bool quoted = false);

// Writes the `count` paths joined by CR LF (none after the last) and a terminator into `out` and
// returns the text's length. Returns -1, leaving an empty string when size > 0, when it does not
// fit `size` bytes. Never writes past `size`.
int ComposeClipboardText(char* out, std::size_t size, const char* const* names, int count,
                         bool quoted = false);
int ComposeClipboardText(char* out, std::size_t size, const SelectionList& list, bool quoted = false);

// Units of the UTF-16 text's block: the names, CR LF between them, the terminator and one spare
// unit (total + 2 x count, and 2 x count more for the quotes). 0 for an empty list or one with a
// name of unknown UTF-16 form.
std::size_t ClipboardWideUnits(const SelectionList& list, bool quoted = false);

// Writes the list's UTF-16 names joined by CR LF and a terminator into `out` (`size` units) and
// returns the text's length. -1, leaving an empty string when size > 0, when it does not fit or a
// name's UTF-16 form is unknown. Never writes past `size`.
int ComposeClipboardWideText(char16_t* out, std::size_t size, const SelectionList& list, bool quoted = false);

}  // namespace vlpd
