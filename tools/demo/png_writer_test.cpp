#include "tools/demo/png_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vlpd::demo {
namespace {

std::uint32_t BigEndian(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

struct Chunk {
  std::string type;
  std::vector<unsigned char> data;
};

// Splits a PNG into its chunks, checking each chunk's CRC on the way.
std::vector<Chunk> ReadChunks(const std::vector<unsigned char>& png) {
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_GE(png.size(), 8u);
  EXPECT_EQ(0, std::memcmp(png.data(), signature, 8));
  std::vector<Chunk> chunks;
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = BigEndian(&png[at]);
    EXPECT_LE(at + 12 + length, png.size());
    if (at + 12 + length > png.size()) break;
    Chunk chunk{std::string(reinterpret_cast<const char*>(&png[at + 4]), 4),
                std::vector<unsigned char>(png.begin() + at + 8, png.begin() + at + 8 + length)};
    EXPECT_EQ(Crc32(&png[at + 4], 4 + length), BigEndian(&png[at + 8 + length])) << chunk.type;
    chunks.push_back(chunk);
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  return chunks;
}

// Undoes a zlib stream made of stored blocks; counts the blocks and checks the Adler-32.
std::vector<unsigned char> Unstore(const std::vector<unsigned char>& zlib, int& blocks) {
  std::vector<unsigned char> out;
  blocks = 0;
  EXPECT_EQ(0x78, zlib.at(0));
  EXPECT_EQ(0u, (zlib.at(0) * 256u + zlib.at(1)) % 31);  // the header check the format demands
  size_t at = 2;
  bool last = false;
  while (!last && at + 5 <= zlib.size()) {
    last = (zlib[at] & 1) != 0;
    EXPECT_EQ(0, zlib[at] & 6) << "block type must be stored";
    const unsigned length = zlib[at + 1] | (zlib[at + 2] << 8);
    const unsigned complement = zlib[at + 3] | (zlib[at + 4] << 8);
    EXPECT_EQ(0xFFFFu, length ^ complement);
    at += 5;
    out.insert(out.end(), zlib.begin() + at, zlib.begin() + at + length);
    at += length;
    ++blocks;
  }
  EXPECT_TRUE(last);
  EXPECT_EQ(at + 4, zlib.size());
  EXPECT_EQ(Adler32(out.data(), out.size()), BigEndian(&zlib[at]));
  return out;
}

TEST(Checksums, MatchTheirPublishedCheckValues) {
  const std::string digits = "123456789";
  EXPECT_EQ(0xCBF43926u, Crc32(reinterpret_cast<const unsigned char*>(digits.data()), digits.size()));
  const std::string word = "Wikipedia";
  EXPECT_EQ(0x11E60398u, Adler32(reinterpret_cast<const unsigned char*>(word.data()), word.size()));
  EXPECT_EQ(0u, Crc32(nullptr, 0));
  EXPECT_EQ(1u, Adler32(nullptr, 0));
}

TEST(EncodePng, SmallPictureRoundTripsThroughItsChunks) {
  // 2 x 2 pixels, rows padded to 8 bytes as a caller's buffer may be.
  const unsigned char rgb[16] = {255, 0, 0, 0, 255, 0, 0xEE, 0xEE, 0, 0, 255, 10, 20, 30, 0xEE, 0xEE};
  const std::vector<Chunk> chunks = ReadChunks(EncodePng(2, 2, rgb, 8));
  ASSERT_EQ(3u, chunks.size());
  EXPECT_EQ("IHDR", chunks[0].type);
  ASSERT_EQ(13u, chunks[0].data.size());
  EXPECT_EQ(2u, BigEndian(&chunks[0].data[0]));
  EXPECT_EQ(2u, BigEndian(&chunks[0].data[4]));
  EXPECT_EQ(8, chunks[0].data[8]);  // bit depth
  EXPECT_EQ(2, chunks[0].data[9]);  // truecolour
  EXPECT_EQ("IDAT", chunks[1].type);
  EXPECT_EQ("IEND", chunks[2].type);
  EXPECT_TRUE(chunks[2].data.empty());

  int blocks = 0;
  const std::vector<unsigned char> raw = Unstore(chunks[1].data, blocks);
  const std::vector<unsigned char> expected = {0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 255, 10, 20, 30};
  EXPECT_EQ(expected, raw);  // each row: filter 0, then its pixels without the padding
  EXPECT_EQ(1, blocks);
}

TEST(EncodePng, LargePictureSpreadsOverSeveralStoredBlocks) {
  const int width = 300;
  const int height = 200;  // 200 rows of 901 bytes: 180200 bytes, three blocks
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * 3 * height);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<unsigned char>(i * 7 + i / 901);
  const std::vector<Chunk> chunks = ReadChunks(EncodePng(width, height, rgb.data(), width * 3));
  ASSERT_EQ(3u, chunks.size());
  int blocks = 0;
  const std::vector<unsigned char> raw = Unstore(chunks[1].data, blocks);
  EXPECT_EQ(3, blocks);
  ASSERT_EQ(static_cast<size_t>(height) * (width * 3 + 1), raw.size());
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = &raw[static_cast<size_t>(y) * (width * 3 + 1)];
    EXPECT_EQ(0, row[0]);
    EXPECT_EQ(0, std::memcmp(row + 1, &rgb[static_cast<size_t>(y) * width * 3], width * 3)) << "row " << y;
  }
}

}  // namespace
}  // namespace vlpd::demo
