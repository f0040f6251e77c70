// Decides the encoding of a text window: byte-order marks first, then UTF-16 by its zero
// bytes, then the UTF-8, EUC and Shift-JIS validity scans and their decision table.
#pragma once

#include <cstddef>

namespace vlpd {

// Returns 0 (undetermined), 1, 2, 4, 5 or 6, or -4, -5, -6 when a byte-order mark decided.
// Reads only data[0] to data[count - 1]; `count` is at most kDetectionWindow in this system,
// and a window of exactly kDetectionWindow bytes counts as full (its tail may end mid-sequence).
int ClassifyEncoding(const unsigned char* data, std::size_t count);

}  // namespace vlpd
