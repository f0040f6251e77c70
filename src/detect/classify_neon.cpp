// The NEON path of the classifier: a block is two 16-byte registers. Every ARM64 processor has
// NEON, so ClassifyEncoding runs this path there without asking the processor.
#include <arm_neon.h>

#include <cstddef>
#include <cstdint>

#include "detect/classify_paths.h"

#define VLPD_SIMD __attribute__((always_inline)) inline

namespace vlpd {
namespace {

struct Block {
  uint8x16_t lo;
  uint8x16_t hi;
};

VLPD_SIMD Block Load(const unsigned char* p) { return {vld1q_u8(p), vld1q_u8(p + 16)}; }
VLPD_SIMD Block Splat(std::uint8_t byte) {
  const uint8x16_t v = vdupq_n_u8(byte);
  return {v, v};
}
VLPD_SIMD Block Sub(Block a, Block b) { return {vsubq_u8(a.lo, b.lo), vsubq_u8(a.hi, b.hi)}; }
VLPD_SIMD Block And(Block a, Block b) { return {vandq_u8(a.lo, b.lo), vandq_u8(a.hi, b.hi)}; }
VLPD_SIMD Block Or(Block a, Block b) { return {vorrq_u8(a.lo, b.lo), vorrq_u8(a.hi, b.hi)}; }
VLPD_SIMD Block Xor(Block a, Block b) { return {veorq_u8(a.lo, b.lo), veorq_u8(a.hi, b.hi)}; }
// ~a & b
VLPD_SIMD Block AndNot(Block a, Block b) { return {vbicq_u8(b.lo, a.lo), vbicq_u8(b.hi, a.hi)}; }
// Signed bytes.
VLPD_SIMD uint8x16_t GreaterSigned(uint8x16_t a, uint8x16_t b) {
  return vcgtq_s8(vreinterpretq_s8_u8(a), vreinterpretq_s8_u8(b));
}
VLPD_SIMD Block CmpGt(Block a, Block b) { return {GreaterSigned(a.lo, b.lo), GreaterSigned(a.hi, b.hi)}; }
VLPD_SIMD Block CmpEq(Block a, Block b) { return {vceqq_u8(a.lo, b.lo), vceqq_u8(a.hi, b.hi)}; }
VLPD_SIMD Block SubSaturated(Block a, Block b) { return {vqsubq_u8(a.lo, b.lo), vqsubq_u8(a.hi, b.hi)}; }
VLPD_SIMD Block Min(Block a, Block b) { return {vminq_u8(a.lo, b.lo), vminq_u8(a.hi, b.hi)}; }
VLPD_SIMD Block Max(Block a, Block b) { return {vmaxq_u8(a.lo, b.lo), vmaxq_u8(a.hi, b.hi)}; }
// Bit i is the top bit of byte i. NEON has no such instruction: each byte keeps its own bit of
// the eight, and three pairwise additions gather the four bytes of the mask.
VLPD_SIMD std::uint32_t Mask(Block a) {
  static const std::uint8_t kBits[16] = {1, 2, 4, 8, 16, 32, 64, 128, 1, 2, 4, 8, 16, 32, 64, 128};
  const uint8x16_t bits = vld1q_u8(kBits);
  const uint8x16_t lo = vandq_u8(vreinterpretq_u8_s8(vshrq_n_s8(vreinterpretq_s8_u8(a.lo), 7)), bits);
  const uint8x16_t hi = vandq_u8(vreinterpretq_u8_s8(vshrq_n_s8(vreinterpretq_s8_u8(a.hi), 7)), bits);
  uint8x16_t sums = vpaddq_u8(lo, hi);
  sums = vpaddq_u8(sums, sums);
  sums = vpaddq_u8(sums, sums);
  return vgetq_lane_u32(vreinterpretq_u32_u8(sums), 0);
}
VLPD_SIMD uint8x16_t ShiftLeft16By8(uint8x16_t a) {
  return vreinterpretq_u8_u16(vshlq_n_u16(vreinterpretq_u16_u8(a), 8));
}
VLPD_SIMD uint8x16_t ShiftRight16By8(uint8x16_t a) {
  return vreinterpretq_u8_u16(vshrq_n_u16(vreinterpretq_u16_u8(a), 8));
}
VLPD_SIMD Block ShiftLeft16By8(Block a) { return {ShiftLeft16By8(a.lo), ShiftLeft16By8(a.hi)}; }
VLPD_SIMD Block ShiftRight16By8(Block a) { return {ShiftRight16By8(a.lo), ShiftRight16By8(a.hi)}; }
// The sum of the bytes at even positions less the sum of those at odd positions.
VLPD_SIMD long SumEvenMinusOddBytes(Block a) {
  const uint16x8_t even_bytes = vdupq_n_u16(0x00FF);
  const uint16x8_t lo = vreinterpretq_u16_u8(a.lo);
  const uint16x8_t hi = vreinterpretq_u16_u8(a.hi);
  const long even = static_cast<long>(vaddlvq_u16(vandq_u16(lo, even_bytes))) +
                    static_cast<long>(vaddlvq_u16(vandq_u16(hi, even_bytes)));
  const long odd =
      static_cast<long>(vaddlvq_u16(vshrq_n_u16(lo, 8))) + static_cast<long>(vaddlvq_u16(vshrq_n_u16(hi, 8)));
  return even - odd;
}

}  // namespace
}  // namespace vlpd

#include "detect/classify_blocks.h"

namespace vlpd {

int ClassifyEncodingNeon(const unsigned char* data, std::size_t count) { return ClassifyBlocks(data, count); }

}  // namespace vlpd
