// Detects the encoding of a file from its first kDetectionWindow bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vlpd {

// The size a caller passes when it does not know it.
inline constexpr std::uint64_t kUnknownFileSize = ~std::uint64_t{0};

// Returns 1, 2, 4, 5 or 6 for a detected encoding; 0 when the file cannot be opened (missing,
// a folder, no access, a sharing conflict), is empty, cannot be classified, or no buffer can be
// had; -1 when the read fails. `path` is an ANSI path in the system code page.
int DetectFileEncoding(const char* path);

// The same answer, read into the caller's `buffer` of `buffer_size` bytes (any contents; at
// least kDetectionWindow for the same answer), so that one buffer serves many files. `size` is
// the file's size when the caller already has it (a folder listing does), which saves asking
// the file system; kUnknownFileSize otherwise.
int DetectFileEncoding(const char* path, std::uint64_t size, unsigned char* buffer, std::size_t buffer_size);

}  // namespace vlpd
