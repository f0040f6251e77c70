// Detects the encoding of a file from its first kDetectionWindow bytes.
#pragma once

namespace vlpd {

// Returns 1, 2, 4, 5 or 6 for a detected encoding; 0 when the file cannot be opened (missing,
// a folder, no access, a sharing conflict), is empty, cannot be classified, or no buffer can be
// had; -1 when the read fails. `path` is an ANSI path in the system code page.
int DetectFileEncoding(const char* path);

}  // namespace vlpd
