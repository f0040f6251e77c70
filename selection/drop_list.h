// Checks a CF_HDROP block (a DROPFILES header and its name list) before anything reads names
// from it, so that a short or malformed block from a foreign data object is never read past
// its end.
#pragma once

#include <cstddef>

namespace vlpd {

inline constexpr std::size_t kDropFilesHeaderSize = 20;  // pFiles, pt.x, pt.y, fNC, fWide

// True when the `size` bytes at `data` hold the header, its pFiles offset lies at or after the
// header, and the name list there (ANSI bytes, or UTF-16 units when fWide is set) ends in its
// double terminator inside the block: every name's terminator and the final empty name lie
// within `size`.
bool ValidateDropList(const unsigned char* data, std::size_t size);

}  // namespace vlpd
