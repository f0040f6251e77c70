// The body of the block-wise classifier paths, 32 bytes at a time, with one bit per byte in each
// mask. Included once by the source of each path after it has defined, in vlpd's anonymous
// namespace, the `Block` type and its operations, all marked VLPD_SIMD (its target, inlined).
// Every scan gives exactly the answer of its scalar step, which it hands the window's last bytes
// at a character start.
#pragma once

#include <cstddef>
#include <cstdint>

#include "detect/classify_steps.h"
#include "detect/encoding.h"

namespace vlpd {
namespace {

using classify::Utf8Verdict;

constexpr std::size_t kBlock = 32;
constexpr std::uint32_t kEvenBits = 0x55555555u;
// Byte-wide vote counters take one vote per block: emptied before they can overflow.
constexpr std::size_t kBlocksPerTally = 255;

VLPD_SIMD bool AnyZero(Block bytes) { return Mask(CmpEq(bytes, Splat(0))) != 0; }

VLPD_SIMD void Cover(std::size_t& covered, std::size_t end) {
  if (end > covered) covered = end;
}

VLPD_SIMD std::size_t LowestBit(std::uint32_t bits) { return static_cast<std::size_t>(__builtin_ctz(bits)); }

// The positions that end a pair, given those that can (the byte before is a lead, theirs may be a
// trail) and whether the block before ended with the end of a pair (0 or 1). A run of positions
// that can end a pair alternates, starting with an end, or one byte later after a pair's end.
VLPD_SIMD std::uint32_t PairEnds(std::uint32_t can_end, std::uint32_t& end_before) {
  const std::uint32_t starts = can_end & ~(can_end << 1);
  // Adding its first bit carries through a run and clears it: the runs left are those that start
  // at odd positions, or right after a pair's end.
  const std::uint32_t shifted_runs = (can_end + (starts & kEvenBits & ~end_before)) & can_end;
  const std::uint32_t ends = (can_end & kEvenBits) ^ shifted_runs;
  end_before = ends >> 31;
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

// The UTF-8 scan from `p`, a character start after ASCII only. A byte must be a continuation byte exactly
// where a lead byte one to three bytes before it asks for one; F8-FF fails wherever it is.
VLPD_SIMD Utf8Verdict ScanUtf8(const unsigned char* d, std::size_t count, std::size_t p, Block& low,
                               std::size_t& covered) {
  const std::size_t first = p;
  // The scalar step examines no character that starts in the last three bytes of a full window.
  const std::size_t limit = count == kDetectionWindow ? count - 3 : count;
  const Block zero = Splat(0);
  Block before = zero;  // ASCII, as far as leads go
  bool checked_again = false;
  for (; p + kBlock <= limit; p += kBlock) {
    const Block bytes = Load(d + p);
    low = Min(low, bytes);
    const Block continuation = CmpGt(Splat(0xC0), bytes);  // 0x80-0xBF: signed, below -64
    // Nonzero where a lead of two bytes or more, or of three or more, asks for a continuation, and
    // at bytes from 0xF0 on, to fail them here: a block with a lead of four bytes is checked again
    // in full, and so is the block after it, whose first three bytes the lead may ask for.
    const Block asked = Or(Or(SubSaturated(Preceding<1>(bytes, before), Splat(0xBF)),
                              SubSaturated(Preceding<2>(bytes, before), Splat(0xDF))),
                           SubSaturated(bytes, Splat(0xEF)));
    const bool check_again = Mask(CmpEq(CmpEq(asked, zero), continuation)) != 0;
    if (check_again || checked_again) {
      const Block asked_all =
          Or(Or(SubSaturated(Preceding<1>(bytes, before), Splat(0xBF)),
                SubSaturated(Preceding<2>(bytes, before), Splat(0xDF))),
             Or(SubSaturated(Preceding<3>(bytes, before), Splat(0xEF)), SubSaturated(bytes, Splat(0xF7))));
      if (Mask(CmpEq(CmpEq(asked_all, zero), continuation)) != 0) {
        Cover(covered, p + kBlock);
        return Utf8Verdict::kNotUtf8;
      }
    }
    checked_again = check_again;
    before = bytes;
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

// The EUC scan from `p`, a character start after ASCII only. Pairs are a lead (0x8E, 0x8F,
// 0xA1-0xFE) and a trail (0xA1-0xFE); every other byte of 0x80 and above fails.
VLPD_SIMD bool ScanEuc(const unsigned char* d, std::size_t count, std::size_t p, Block& low,
                       std::size_t& covered) {
  std::uint32_t lead_before = 0;  // the block before ended with a lead byte
  std::uint32_t end_before = 0;   // ... with the second byte of a pair
  std::uint32_t open = 0;         // ... with a character start of 0x80 or above, waiting for a trail
  for (; p + kBlock <= count; p += kBlock) {
    const Block bytes = Load(d + p);
    low = Min(low, bytes);
    const std::uint32_t high = Mask(bytes);
    const std::uint32_t trail = Mask(CmpGt(Splat(0xDE), Sub(bytes, Splat(0x21))));  // 0xA1-0xFE: below -34
    // The single shifts are the only leads below 0xA1: looked for only where such bytes are.
    std::uint32_t lead = trail;
    if ((high & ~trail) != 0) lead |= Mask(CmpEq(And(bytes, Splat(0xFE)), Splat(0x8E)));
    const std::uint32_t ends = PairEnds((lead << 1 | lead_before) & trail, end_before);
    const std::uint32_t starts_high = high & ~ends;
    const std::uint32_t wrong = (starts_high << 1 | open) & ~ends;
    lead_before = lead >> 31;
    open = starts_high >> 31;
    if (wrong != 0) {
      Cover(covered, p + kBlock);
      return false;
    }
  }
  Cover(covered, p);
  return classify::IsValidEuc(d, count, p - open);
}

// The Shift-JIS scan from `p`, a character start after ASCII only. A lead (0x81-0x9F, 0xE0-0xFC)
// pairs with a trail (0x40-0x7E, 0x80-0xFC); a character never starts with 0xA1-0xDF or 0xF0-0xFF.
// Here the leads are 0x81-0x9F and 0xE0-0xEF, the others failing as character starts anyway, and
// any byte but 0xFD-0xFF is a trail: the others (0x00-0x3F, 0x7F) can neither start a pair nor fail
// at a character start, so a lead's pairing with them changes no answer. 0xFD-0xFF, which fail
// wherever they are, are looked for apart.
VLPD_SIMD bool ScanSjis(const unsigned char* d, std::size_t count, std::size_t p, Block& low,
                        std::size_t& covered) {
  std::uint32_t lead_before = 0;
  std::uint32_t end_before = 0;
  Block top = Splat(0);
  for (; p + kBlock <= count; p += kBlock) {
    const Block bytes = Load(d + p);
    low = Min(low, bytes);
    top = Max(top, bytes);
    // The leads become 0xA1-0xCF by flipping bit 5; each range is then one signed comparison.
    const std::uint32_t lead = Mask(CmpGt(Splat(0xAF), Sub(Xor(bytes, Splat(0x20)), Splat(0x21))));
    const std::uint32_t never_start = Mask(CmpGt(Splat(0xDF), Sub(bytes, Splat(0x21)))) & ~lead;
    const std::uint32_t ends = PairEnds(lead << 1 | lead_before, end_before);
    lead_before = lead >> 31;
    if ((never_start & ~ends) != 0) {
      Cover(covered, p + kBlock);
      return false;
    }
  }
  Cover(covered, p);
  if (Mask(CmpEq(Max(top, Splat(0xFD)), top)) != 0) return false;
  // The last byte of the blocks starts a character unless it ends a pair; it may pair with the next.
  return classify::IsValidSjis(d, count, p - (lead_before & ~end_before));
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
