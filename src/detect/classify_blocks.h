// The body of the block-wise classifier paths: 32 bytes at a time, or 64 where masks with one bit
// per byte carry pairs from block to block. Included once by the source of each path after it has
// defined, in vlpd's anonymous namespace, the `Block` type and its operations, all marked
// VLPD_SIMD (its target, inlined). Every scan gives exactly the answer of its scalar step, which it
// hands the window's last bytes at a character start.
#pragma once

#if !defined(__x86_64__) && !defined(__aarch64__)
#include <emmintrin.h>
#endif

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "detect/classify_steps.h"
#include "detect/encoding.h"

namespace vlpd {
namespace {

using classify::Utf8Verdict;

constexpr std::size_t kBlock = 32;
// Byte-wide vote counters take one vote per block: emptied before they can overflow.
constexpr std::size_t kBlocksPerTally = 255;

VLPD_SIMD bool AnyZero(Block bytes) { return Mask(CmpEq(bytes, Splat(0))) != 0; }

VLPD_SIMD void Cover(std::size_t& covered, std::size_t end) {
  if (end > covered) covered = end;
}

VLPD_SIMD std::size_t LowestBit(std::uint32_t bits) { return static_cast<std::size_t>(__builtin_ctz(bits)); }

#if defined(__x86_64__) || defined(__aarch64__)
// One bit for each of 64 bytes.
struct Bits {
  std::uint64_t v;
};
VLPD_SIMD Bits Join(std::uint32_t low, std::uint32_t high) {
  return {static_cast<std::uint64_t>(high) << 32 | low};
}
VLPD_SIMD Bits EvenBits() { return {0x5555555555555555u}; }
VLPD_SIMD Bits And(Bits a, Bits b) { return {a.v & b.v}; }
VLPD_SIMD Bits Or(Bits a, Bits b) { return {a.v | b.v}; }
VLPD_SIMD Bits Xor(Bits a, Bits b) { return {a.v ^ b.v}; }
VLPD_SIMD Bits AndNot(Bits a, Bits b) { return {~a.v & b.v}; }
VLPD_SIMD Bits Add(Bits a, Bits b) { return {a.v + b.v}; }
VLPD_SIMD Bits ShiftUp(Bits a) { return {a.v << 1}; }
// The last bit, as the first.
VLPD_SIMD Bits Last(Bits a) { return {a.v >> 63}; }
VLPD_SIMD bool Any(Bits a) { return a.v != 0; }
VLPD_SIMD std::uint32_t First32(Bits a) { return static_cast<std::uint32_t>(a.v); }
#else
// One bit for each of 64 bytes, in the low half of an SSE2 register: 32-bit x86 has no 64-bit
// general registers, and a pair of them doubles every step and runs out of registers.
struct Bits {
  __m128i v;
};
VLPD_SIMD Bits Join(std::uint32_t low, std::uint32_t high) {
  return {_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(low)),
                             _mm_cvtsi32_si128(static_cast<int>(high)))};
}
VLPD_SIMD Bits EvenBits() { return {_mm_set_epi32(0, 0, 0x55555555, 0x55555555)}; }
VLPD_SIMD Bits And(Bits a, Bits b) { return {_mm_and_si128(a.v, b.v)}; }
VLPD_SIMD Bits Or(Bits a, Bits b) { return {_mm_or_si128(a.v, b.v)}; }
VLPD_SIMD Bits Xor(Bits a, Bits b) { return {_mm_xor_si128(a.v, b.v)}; }
VLPD_SIMD Bits AndNot(Bits a, Bits b) { return {_mm_andnot_si128(a.v, b.v)}; }
VLPD_SIMD Bits Add(Bits a, Bits b) { return {_mm_add_epi64(a.v, b.v)}; }
VLPD_SIMD Bits ShiftUp(Bits a) { return {_mm_slli_epi64(a.v, 1)}; }
// The last bit, as the first.
VLPD_SIMD Bits Last(Bits a) { return {_mm_srli_epi64(a.v, 63)}; }
VLPD_SIMD bool Any(Bits a) { return _mm_movemask_epi8(_mm_cmpeq_epi8(a.v, _mm_setzero_si128())) != 0xFFFF; }
VLPD_SIMD std::uint32_t First32(Bits a) { return static_cast<std::uint32_t>(_mm_cvtsi128_si32(a.v)); }
#endif

// The bits of the 64 bytes of two blocks.
VLPD_SIMD Bits Mask64(Block first, Block second) { return Join(Mask(first), Mask(second)); }

// The positions that end a pair, given those that can (the byte before is a lead, theirs may be a
// trail) and whether the bytes before ended with the end of a pair (first bit). A run of positions
// that can end a pair alternates, starting with an end, or one byte later after a pair's end.
VLPD_SIMD Bits PairEnds(Bits can_end, Bits& end_before) {
  const Bits even = EvenBits();
  const Bits starts = AndNot(ShiftUp(can_end), can_end);
  // Adding its first bit carries through a run and clears it: the runs left are those that start
  // at odd positions, or right after a pair's end.
  const Bits shifted_runs = And(Add(can_end, AndNot(end_before, And(starts, even))), can_end);
  const Bits ends = Xor(And(can_end, even), shifted_runs);
  end_before = Last(ends);
  return ends;
}

// The position of the first byte of 0x80 or above, or where the whole blocks end if none comes
// before; `low` takes the smallest byte of the blocks read and `covered` their end.
VLPD_SIMD std::size_t FirstHighByte(const unsigned char* d, std::size_t count, Block& low,
                                    std::size_t& covered) {
  std::size_t p = 0;
  for (; p + 2 * kBlock <= count; p += 2 * kBlock) {
    const Block first = Load(d + p);
    const Block second = Load(d + p + kBlock);
    low = Min(low, Min(first, second));
    covered = p + 2 * kBlock;
    if (Mask(Or(first, second)) != 0) {
      const std::uint32_t high = Mask(first);
      return high != 0 ? p + LowestBit(high) : p + kBlock + LowestBit(Mask(second));
    }
  }
  if (p + kBlock <= count) {
    const Block last = Load(d + p);
    low = Min(low, last);
    covered = p + kBlock;
    if (const std::uint32_t high = Mask(last); high != 0) return p + LowestBit(high);
    p += kBlock;
  }
  return p;
}

VLPD_SIMD bool HasZero(const unsigned char* d, std::size_t p, std::size_t count) {
  for (; p + 2 * kBlock <= count; p += 2 * kBlock) {
    if (AnyZero(Min(Load(d + p), Load(d + p + kBlock)))) return true;
  }
  for (; p < count; ++p) {
    if (d[p] == 0) return true;
  }
  return false;
}

VLPD_SIMD int Utf16Tally(const unsigned char* d, std::size_t count) {
  const Block zero = Splat(0);
  long votes = 0;
  std::size_t p = 0;
  while (p + kBlock <= count) {
    // The first byte of each pair counts little-endian votes, the second big-endian ones.
    Block counters = zero;
    const std::size_t stop = count - p > kBlock * kBlocksPerTally ? p + kBlock * kBlocksPerTally : count;
    for (; p + kBlock <= stop; p += kBlock) {
      const Block bytes = Load(d + p);
      // An ASCII character (0x01-0x7F) with a zero byte beside it: the zero flags swapped within
      // each pair, then set beside the characters.
      const Block zeros = CmpEq(bytes, zero);
      const Block beside = Or(ShiftLeft16By8(zeros), ShiftRight16By8(zeros));
      counters = Sub(counters, And(CmpGt(bytes, zero), beside));  // the flags are -1
    }
    votes += SumEvenMinusOddBytes(counters);
  }
  return classify::Utf16FromVotes(votes + classify::Utf16Votes(d, p, count));
}

// Whether the 32 bytes at `at` break the rule of UTF-8 leads: a byte must be a continuation byte
// exactly where a lead one to three bytes before asks for one; F8-FF fails wherever it is. The
// three bytes before `at` are read too, over again rather than moved along from the block before.
// Only leads of two and three bytes are checked, and every byte from 0xF0 on fails, unless
// `long_lead_before`: then the block before held one of four bytes, whose continuations may go on
// in this block, which is checked in full like any that holds such a lead itself.
VLPD_SIMD bool Utf8Wrong(const unsigned char* at, Block& low, bool& long_lead_before) {
  const Block bytes = Load(at);
  low = Min(low, bytes);
  const Block zero = Splat(0);
  const Block continuation = CmpGt(Splat(0xC0), bytes);  // 0x80-0xBF: signed, below -64
  const Block asked2 = SubSaturated(Load(at - 1), Splat(0xBF));
  const Block asked3 = SubSaturated(Load(at - 2), Splat(0xDF));
  const bool long_lead =
      Mask(CmpEq(CmpEq(Or(Or(asked2, asked3), SubSaturated(bytes, Splat(0xEF))), zero), continuation)) != 0;
  const bool check_in_full = long_lead || long_lead_before;
  long_lead_before = long_lead;
  if (!check_in_full) return false;
  const Block asked4 = Or(SubSaturated(Load(at - 3), Splat(0xEF)), SubSaturated(bytes, Splat(0xF7)));
  return Mask(CmpEq(CmpEq(Or(Or(asked2, asked3), asked4), zero), continuation)) != 0;
}

// The UTF-8 scan from `p`, a character start after ASCII only.
VLPD_SIMD Utf8Verdict ScanUtf8(const unsigned char* d, std::size_t count, std::size_t p, Block& low,
                               std::size_t& covered) {
  const std::size_t first = p;
  // The scalar step examines no character that starts in the last three bytes of a full window.
  const std::size_t limit = count == kDetectionWindow ? count - 3 : count;
  bool long_lead_before = false;
  if (p < 3 && p + kBlock <= limit) {
    // The window has no three bytes before this block: zeros, ASCII like the bytes before `p`.
    unsigned char head[3 + kBlock] = {};
    std::memcpy(head + 3, d + p, kBlock);
    if (Utf8Wrong(head + 3, low, long_lead_before)) {
      Cover(covered, p + kBlock);
      return Utf8Verdict::kNotUtf8;
    }
    p += kBlock;
  }
  for (; p + kBlock <= limit; p += kBlock) {
    if (Utf8Wrong(d + p, low, long_lead_before)) {
      Cover(covered, p + kBlock);
      return Utf8Verdict::kNotUtf8;
    }
  }
  Cover(covered, p);
  // The last byte of the blocks that is no continuation byte starts a character; the character
  // before `p` is whole when none of the last three is.
  std::size_t resume = p;
  for (std::size_t i = p; i > first && i + 3 > p; --i) {
    if ((d[i - 1] & 0xC0) != 0x80) {
      resume = i - 1;
      break;
    }
  }
  // The blocks start at the first high byte (else there are none): once past, a multibyte
  // character has come.
  return classify::ScanUtf8(d, count, resume, p > first);
}

// EUC trails, 0xA1-0xFE: below -34 once 0x21 is taken off.
VLPD_SIMD Block EucTrails(Block bytes) { return CmpGt(Splat(0xDE), Sub(bytes, Splat(0x21))); }

// The EUC single shifts, 0x8E and 0x8F.
VLPD_SIMD Block SingleShifts(Block bytes) { return CmpEq(And(bytes, Splat(0xFE)), Splat(0x8E)); }

// The EUC scan from `p`, a character start after ASCII only. Pairs are a lead (0x8E, 0x8F,
// 0xA1-0xFE) and a trail (0xA1-0xFE); every other byte of 0x80 and above fails.
VLPD_SIMD bool ScanEuc(const unsigned char* d, std::size_t count, std::size_t p, Block& low,
                       std::size_t& covered) {
  const Bits none = Join(0, 0);
  Bits lead_before = none;  // the bytes before ended with a lead byte
  Bits end_before = none;   // ... with the second byte of a pair
  Bits open = none;         // ... with a character start of 0x80 or above, waiting for a trail
  for (; p + 2 * kBlock <= count; p += 2 * kBlock) {
    const Block first = Load(d + p);
    const Block second = Load(d + p + kBlock);
    low = Min(low, Min(first, second));
    const Block first_trails = EucTrails(first);
    const Block second_trails = EucTrails(second);
    const Bits trail = Mask64(first_trails, second_trails);
    // Where every byte of 0x80 and above is a trail, each is a lead as well. Else the others must
    // be single shifts, the only leads below 0xA1.
    Bits high = trail;
    Bits lead = trail;
    if (Mask(Or(AndNot(first_trails, first), AndNot(second_trails, second))) != 0) {
      high = Mask64(first, second);
      lead = Or(trail, Mask64(SingleShifts(first), SingleShifts(second)));
    }
    const Bits ends = PairEnds(And(Or(ShiftUp(lead), lead_before), trail), end_before);
    const Bits starts_high = AndNot(ends, high);
    const Bits wrong = AndNot(ends, Or(ShiftUp(starts_high), open));
    lead_before = Last(lead);
    open = Last(starts_high);
    if (Any(wrong)) {
      Cover(covered, p + 2 * kBlock);
      return false;
    }
  }
  Cover(covered, p);
  return classify::IsValidEuc(d, count, p - First32(open));
}

// Shift-JIS leads as taken here, 0x81-0x9F and 0xE0-0xEF: 0xA1-0xCF once bit 5 is flipped, then
// below -81 once 0x21 is taken off.
VLPD_SIMD Block SjisLeads(Block bytes) {
  return CmpGt(Splat(0xAF), Sub(Xor(bytes, Splat(0x20)), Splat(0x21)));
}

// Bytes from 0xA1 on: below -33 once 0x21 is taken off.
VLPD_SIMD Block FromA1(Block bytes) { return CmpGt(Splat(0xDF), Sub(bytes, Splat(0x21))); }

// The Shift-JIS scan from `p`, a character start after ASCII only. A lead (0x81-0x9F, 0xE0-0xFC)
// pairs with a trail (0x40-0x7E, 0x80-0xFC); a character never starts with 0xA1-0xDF or 0xF0-0xFF.
// Here the leads are 0x81-0x9F and 0xE0-0xEF, the others failing as character starts anyway, and
// any byte but 0xFD-0xFF is a trail: the others (0x00-0x3F, 0x7F) can neither start a pair nor fail
// at a character start, so a lead's pairing with them changes no answer. 0xFD-0xFF, which fail
// wherever they are, are looked for apart.
VLPD_SIMD bool ScanSjis(const unsigned char* d, std::size_t count, std::size_t p, Block& low,
                        std::size_t& covered) {
  const Bits none = Join(0, 0);
  Bits lead_before = none;
  Bits end_before = none;
  Block top = Splat(0);
  for (; p + 2 * kBlock <= count; p += 2 * kBlock) {
    const Block first = Load(d + p);
    const Block second = Load(d + p + kBlock);
    low = Min(low, Min(first, second));
    top = Max(top, Max(first, second));
    const Bits lead = Mask64(SjisLeads(first), SjisLeads(second));
    const Bits never_start = AndNot(lead, Mask64(FromA1(first), FromA1(second)));
    const Bits ends = PairEnds(Or(ShiftUp(lead), lead_before), end_before);
    lead_before = Last(lead);
    if (Any(AndNot(ends, never_start))) {
      Cover(covered, p + 2 * kBlock);
      return false;
    }
  }
  Cover(covered, p);
  if (Mask(CmpEq(Max(top, Splat(0xFD)), top)) != 0) return false;
  // The last byte of the blocks starts a character unless it ends a pair; it may pair with the next.
  return classify::IsValidSjis(d, count, p - First32(AndNot(end_before, lead_before)));
}

VLPD_SIMD int ClassifyBlocks(const unsigned char* d, std::size_t count) {
  if (count == 0) return kEncodingAuto;
  if (const int mark = classify::ByteOrderMark(d, count); mark != 0) return mark;
  const bool even = count % 2 == 0;
  Block low = Splat(0xFF);
  std::size_t covered = 0;  // every byte before it has gone through `low`
  const std::size_t first = FirstHighByte(d, count, low, covered);
  // UTF-16 text has zero bytes from its first ASCII character on: then its tally decides early.
  bool tallied = false;
  if (even && AnyZero(low)) {
    if (const int utf16 = Utf16Tally(d, count); utf16 != 0) return utf16;
    tallied = true;
  }
  const Utf8Verdict utf8 = ScanUtf8(d, count, first, low, covered);
  bool euc = false;
  bool sjis = false;
  if (utf8 != Utf8Verdict::kUtf8) {
    euc = ScanEuc(d, count, first, low, covered);
    sjis = ScanSjis(d, count, first, low, covered);
  }
  if (even && !tallied && (AnyZero(low) || HasZero(d, covered, count))) {
    if (const int utf16 = Utf16Tally(d, count); utf16 != 0) return utf16;
  }
  return classify::DecideEncoding(utf8, euc, sjis);
}

}  // namespace
}  // namespace vlpd
