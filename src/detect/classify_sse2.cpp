// The SSE2 path of the classifier: a block is two 16-byte registers. Only its functions carry the
// SSE2 target, so the rest of the 32-bit build keeps running on processors without it.
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#include "detect/classify_paths.h"

#define VLPD_SIMD __attribute__((target("sse2"), always_inline)) inline

namespace vlpd {
namespace {

struct Block {
  __m128i lo;
  __m128i hi;
};

VLPD_SIMD Block Load(const unsigned char* p) {
  return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16))};
}
VLPD_SIMD Block Splat(std::uint8_t byte) {
  const __m128i v = _mm_set1_epi8(static_cast<char>(byte));
  return {v, v};
}
VLPD_SIMD Block Sub(Block a, Block b) { return {_mm_sub_epi8(a.lo, b.lo), _mm_sub_epi8(a.hi, b.hi)}; }
VLPD_SIMD Block And(Block a, Block b) { return {_mm_and_si128(a.lo, b.lo), _mm_and_si128(a.hi, b.hi)}; }
VLPD_SIMD Block Or(Block a, Block b) { return {_mm_or_si128(a.lo, b.lo), _mm_or_si128(a.hi, b.hi)}; }
VLPD_SIMD Block Xor(Block a, Block b) { return {_mm_xor_si128(a.lo, b.lo), _mm_xor_si128(a.hi, b.hi)}; }
// ~a & b
VLPD_SIMD Block AndNot(Block a, Block b) {
  return {_mm_andnot_si128(a.lo, b.lo), _mm_andnot_si128(a.hi, b.hi)};
}
// Signed bytes.
VLPD_SIMD Block CmpGt(Block a, Block b) { return {_mm_cmpgt_epi8(a.lo, b.lo), _mm_cmpgt_epi8(a.hi, b.hi)}; }
VLPD_SIMD Block CmpEq(Block a, Block b) { return {_mm_cmpeq_epi8(a.lo, b.lo), _mm_cmpeq_epi8(a.hi, b.hi)}; }
VLPD_SIMD Block SubSaturated(Block a, Block b) {
  return {_mm_subs_epu8(a.lo, b.lo), _mm_subs_epu8(a.hi, b.hi)};
}
VLPD_SIMD Block Min(Block a, Block b) { return {_mm_min_epu8(a.lo, b.lo), _mm_min_epu8(a.hi, b.hi)}; }
VLPD_SIMD Block Max(Block a, Block b) { return {_mm_max_epu8(a.lo, b.lo), _mm_max_epu8(a.hi, b.hi)}; }
// Bit i is the top bit of byte i.
VLPD_SIMD std::uint32_t Mask(Block a) {
  return static_cast<std::uint32_t>(_mm_movemask_epi8(a.lo)) |
         static_cast<std::uint32_t>(_mm_movemask_epi8(a.hi)) << 16;
}
VLPD_SIMD Block ShiftLeft16By8(Block a) { return {_mm_slli_epi16(a.lo, 8), _mm_slli_epi16(a.hi, 8)}; }
VLPD_SIMD Block ShiftRight16By8(Block a) { return {_mm_srli_epi16(a.lo, 8), _mm_srli_epi16(a.hi, 8)}; }
// The sum of the bytes at even positions less the sum of those at odd positions.
VLPD_SIMD long SumEvenMinusOddBytes(Block a) {
  const __m128i even_bytes = _mm_set1_epi16(0x00FF);
  const __m128i zero = _mm_setzero_si128();
  const __m128i even = _mm_add_epi64(_mm_sad_epu8(_mm_and_si128(a.lo, even_bytes), zero),
                                     _mm_sad_epu8(_mm_and_si128(a.hi, even_bytes), zero));
  const __m128i odd =
      _mm_add_epi64(_mm_sad_epu8(_mm_srli_epi16(a.lo, 8), zero), _mm_sad_epu8(_mm_srli_epi16(a.hi, 8), zero));
  const __m128i difference = _mm_sub_epi64(even, odd);
  return _mm_cvtsi128_si32(difference) + _mm_cvtsi128_si32(_mm_srli_si128(difference, 8));
}

}  // namespace
}  // namespace vlpd

#include "detect/classify_blocks.h"

namespace vlpd {

// 32-bit Windows keeps the stack 4-byte aligned only; the vectors this spills need 16.
__attribute__((target("sse2"), force_align_arg_pointer)) int ClassifyEncodingSse2(const unsigned char* data,
                                                                                  std::size_t count) {
  return ClassifyBlocks(data, count);
}

}  // namespace vlpd
