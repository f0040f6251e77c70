// A minimal PNG encoder for the demo's screenshots: 8-bit RGB, no filtering, and a zlib stream
// of stored (uncompressed) deflate blocks, so it needs no compression library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vlpd::demo {

std::uint32_t Crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t Adler32(const unsigned char* data, std::size_t size);

// `rgb` holds `height` rows of `width` RGB triples, each row starting `stride` bytes after the last.
std::vector<unsigned char> EncodePng(int width, int height, const unsigned char* rgb, std::size_t stride);

}  // namespace vlpd::demo
