#include "tools/demo/png_writer.h"

#include <algorithm>
#include <array>

namespace vlpd::demo {
namespace {

constexpr std::size_t kMaxStoredBlock = 65535;  // the length field of a stored block is 16 bits

std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

void PutBigEndian(std::vector<unsigned char>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(std::vector<unsigned char>& out, const char type[4], const std::vector<unsigned char>& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t type_start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian(out, Crc32(out.data() + type_start, out.size() - type_start));
}

}  // namespace

std::uint32_t Crc32(const unsigned char* data, std::size_t size, std::uint32_t crc) {
  static const std::array<std::uint32_t, 256> table = MakeCrcTable();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t Adler32(const unsigned char* data, std::size_t size) {
  constexpr std::uint32_t kModulus = 65521;
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (std::size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % kModulus;
    b = (b + a) % kModulus;
  }
  return (b << 16) | a;
}

std::vector<unsigned char> EncodePng(int width, int height, const unsigned char* rgb, std::size_t stride) {
  // The raw image: each row is filter type 0 (none) followed by its pixels.
  const std::size_t row_bytes = static_cast<std::size_t>(width) * 3;
  std::vector<unsigned char> raw;
  raw.reserve((row_bytes + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    const unsigned char* row = rgb + static_cast<std::size_t>(y) * stride;
    raw.insert(raw.end(), row, row + row_bytes);
  }

  std::vector<unsigned char> zlib = {0x78, 0x01};  // deflate, 32 KiB window, no dictionary
  std::size_t done = 0;
  do {
    const std::size_t length = std::min(kMaxStoredBlock, raw.size() - done);
    const bool last = done + length == raw.size();
    zlib.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
    zlib.push_back(static_cast<unsigned char>(length));
    zlib.push_back(static_cast<unsigned char>(length >> 8));
    zlib.push_back(static_cast<unsigned char>(~length));
    zlib.push_back(static_cast<unsigned char>(~length >> 8));
    zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(done),
                raw.begin() + static_cast<std::ptrdiff_t>(done + length));
    done += length;
  } while (done < raw.size());
  PutBigEndian(zlib, Adler32(raw.data(), raw.size()));

  std::vector<unsigned char> header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filters, no interlace

  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace vlpd::demo
