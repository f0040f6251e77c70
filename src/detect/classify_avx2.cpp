// The AVX2 path of the classifier: a block is one 32-byte register. Only its functions carry the
// AVX2 target; the dispatcher calls it once the processor and the system have shown support.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "detect/classify_paths.h"

#define VLPD_SIMD __attribute__((target("avx2"), always_inline)) inline

namespace vlpd {
namespace {

struct Block {
  __m256i v;
};

VLPD_SIMD Block Load(const unsigned char* p) {
  return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))};
}
VLPD_SIMD Block Splat(std::uint8_t byte) { return {_mm256_set1_epi8(static_cast<char>(byte))}; }
VLPD_SIMD Block Sub(Block a, Block b) { return {_mm256_sub_epi8(a.v, b.v)}; }
VLPD_SIMD Block And(Block a, Block b) { return {_mm256_and_si256(a.v, b.v)}; }
VLPD_SIMD Block Or(Block a, Block b) { return {_mm256_or_si256(a.v, b.v)}; }
VLPD_SIMD Block Xor(Block a, Block b) { return {_mm256_xor_si256(a.v, b.v)}; }
// ~a & b
VLPD_SIMD Block AndNot(Block a, Block b) { return {_mm256_andnot_si256(a.v, b.v)}; }
// Signed bytes.
VLPD_SIMD Block CmpGt(Block a, Block b) { return {_mm256_cmpgt_epi8(a.v, b.v)}; }
VLPD_SIMD Block CmpEq(Block a, Block b) { return {_mm256_cmpeq_epi8(a.v, b.v)}; }
VLPD_SIMD Block SubSaturated(Block a, Block b) { return {_mm256_subs_epu8(a.v, b.v)}; }
VLPD_SIMD Block Min(Block a, Block b) { return {_mm256_min_epu8(a.v, b.v)}; }
VLPD_SIMD Block Max(Block a, Block b) { return {_mm256_max_epu8(a.v, b.v)}; }
// Bit i is the top bit of byte i.
VLPD_SIMD std::uint32_t Mask(Block a) { return static_cast<std::uint32_t>(_mm256_movemask_epi8(a.v)); }
VLPD_SIMD Block ShiftLeft16By8(Block a) { return {_mm256_slli_epi16(a.v, 8)}; }
VLPD_SIMD Block ShiftRight16By8(Block a) { return {_mm256_srli_epi16(a.v, 8)}; }
// The sum of the bytes at even positions less the sum of those at odd positions.
VLPD_SIMD long SumEvenMinusOddBytes(Block a) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i difference =
      _mm256_sub_epi64(_mm256_sad_epu8(_mm256_and_si256(a.v, _mm256_set1_epi16(0x00FF)), zero),
                       _mm256_sad_epu8(_mm256_srli_epi16(a.v, 8), zero));
  const __m128i halves =
      _mm_add_epi64(_mm256_castsi256_si128(difference), _mm256_extracti128_si256(difference, 1));
  return _mm_cvtsi128_si32(halves) + _mm_cvtsi128_si32(_mm_srli_si128(halves, 8));
}

}  // namespace
}  // namespace vlpd

#include "detect/classify_blocks.h"

namespace vlpd {

// 32-bit Windows keeps the stack 4-byte aligned only: realigned here for the vectors this spills.
__attribute__((target("avx2"), force_align_arg_pointer)) int ClassifyEncodingAvx2(const unsigned char* data,
                                                                                  std::size_t count) {
  return ClassifyBlocks(data, count);
}

}  // namespace vlpd
