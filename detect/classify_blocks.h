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
// 16-bit vote counters take one vote per block: emptied into a long before they can overflow.
constexpr std::size_t kBlocksPerTally = 16384;

VLPD_SIMD bool AnyZero(Block bytes) { return Mask(CmpEq(bytes, Splat(0))) != 0; }

VLPD_SIMD void Cover(std::size_t& covered, std::size_t end) {
  if (end > covered) covered = end;
}

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

// The start of the first 64 bytes that are not all ASCII (or where whole blocks end); `low` takes
// the smallest byte before it.
VLPD_SIMD std::size_t AsciiPrefix(const unsigned char* d, std::size_t count, Block& low) {
  std::size_t p = 0;
  for (; p + 2 * kBlock <= count; p += 2 * kBlock) {
    const Block first = Load(d + p);
    const Block second = Load(d + p + kBlock);
    if (Mask(Or(first, second)) != 0) return p;
    low = Min(low, Min(first, second));
  }
  if (p + kBlock <= count) {
    const Block last = Load(d + p);
    if (Mask(last) != 0) return p;
    low = Min(low, last);
    p += kBlock;
  }
  return p;
}

VLPD_SIMD bool HasZero(const unsigned char* d, std::size_t p, std::size_t count) {
  Block low = Splat(0xFF);
  for (; p + kBlock <= count; p += kBlock) low = Min(low, Load(d + p));
  if (AnyZero(low)) return true;
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
    Block counters = zero;
    const std::size_t stop = count - p > kBlock * kBlocksPerTally ? p + kBlock * kBlocksPerTally : count;
    for (; p + kBlock <= stop; p += kBlock) {
      // Little-endian words: first byte low, second byte high.
      const Block words = Load(d + p);
      const Block positive = CmpGt16(words, zero);
      const Block little = And(positive, CmpGt16(Splat16(0x80), words));
      const Block big = And(positive, CmpEq16(ShiftLeft16By8(words), zero));
      counters = Add16(Sub16(counters, little), big);  // the masks are -1 where true
    }
    votes += SumWords(counters);
  }
  return classify::Utf16FromVotes(votes + classify::Utf16Votes(d, p, count));
}

// The UTF-8 scan from `p`, a character start after ASCII only. A byte must be a continuation byte
// exactly where a lead byte one to three bytes before it asks for one; F8-FF fails wherever it is.
VLPD_SIMD Utf8Verdict ScanUtf8(const unsigned char* d, std::size_t count, std::size_t p, Block& low,
                               std::size_t& covered) {
  const std::size_t first = p;
  // The scalar step examines no character that starts in the last three bytes of a full window.
  const std::size_t limit = count == kDetectionWindow ? count - 3 : count;
  const Block zero = Splat(0);
  Block before = zero;  // ASCII, as far as leads go
  Block top = zero;
  for (; p + kBlock <= limit; p += kBlock) {
    const Block bytes = Load(d + p);
    low = Min(low, bytes);
    top = Max(top, bytes);
    // Nonzero where a lead of two bytes or more, three or more, or four asks for a continuation.
    const Block asked = Or(SubSaturated(Preceding<1>(bytes, before), Splat(0xBF)),
                           Or(SubSaturated(Preceding<2>(bytes, before), Splat(0xDF)),
                              SubSaturated(Preceding<3>(bytes, before), Splat(0xEF))));
    const Block continuation = CmpGt(Splat(0xC0), bytes);  // 0x80-0xBF: signed, below -64
    before = bytes;
    if (Mask(CmpEq(CmpEq(asked, zero), continuation)) != 0) {
      Cover(covered, p + kBlock);
      return Utf8Verdict::kNotUtf8;
    }
  }
  Cover(covered, p);
  if (Mask(CmpEq(Max(top, Splat(0xF8)), top)) != 0) return Utf8Verdict::kNotUtf8;
  // The last byte of the blocks that is no continuation byte starts a character; the character
  // before `p` is whole when none of the last three is.
  std::size_t resume = p;
  for (std::size_t i = p; i > first && i + 3 > p; --i) {
    if ((d[i - 1] & 0xC0) != 0x80) {
      resume = i - 1;
      break;
    }
  }
  return classify::ScanUtf8(d, count, resume, Mask(top) != 0);
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
    std::uint32_t wrong = open;
    if (high == 0) {
      lead_before = end_before = open = 0;
    } else {
      const Block trail_bytes = CmpGt(Splat(0xDE), Sub(bytes, Splat(0x21)));  // 0xA1-0xFE: below -34
      const std::uint32_t trail = Mask(trail_bytes);
      const std::uint32_t lead = Mask(Or(trail_bytes, CmpEq(And(bytes, Splat(0xFE)), Splat(0x8E))));
      const std::uint32_t ends = PairEnds((lead << 1 | lead_before) & trail, end_before);
      const std::uint32_t starts_high = high & ~ends;
      wrong = (starts_high << 1 | open) & ~ends;
      lead_before = lead >> 31;
      open = starts_high >> 31;
    }
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
// Any byte but 0xFD-0xFF is taken for a trail here: the others (0x00-0x3F, 0x7F) can neither start
// a pair nor fail at a character start, so a lead's pairing with them changes no answer. 0xFD-0xFF,
// which fail wherever they are, are looked for apart.
VLPD_SIMD bool ScanSjis(const unsigned char* d, std::size_t count, std::size_t p, Block& low,
                        std::size_t& covered) {
  std::uint32_t lead_before = 0;
  std::uint32_t end_before = 0;
  Block top = Splat(0);
  for (; p + kBlock <= count; p += kBlock) {
    const Block bytes = Load(d + p);
    low = Min(low, bytes);
    top = Max(top, bytes);
    // The leads become 0xA1-0xDC by flipping bit 5; each range is then one signed comparison.
    const std::uint32_t lead = Mask(CmpGt(Splat(0xBC), Sub(Xor(bytes, Splat(0x20)), Splat(0x21))));
    const std::uint32_t never_start = Mask(Or(CmpGt(Splat(0xBF), Sub(bytes, Splat(0x21))),    // 0xA1-0xDF
                                              CmpGt(Splat(0x90), Sub(bytes, Splat(0x70)))));  // 0xF0-0xFF
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
  const std::size_t ascii = AsciiPrefix(d, count, low);
  // UTF-16 text has zero bytes from its first ASCII character on: then its tally decides early.
  bool tallied = false;
  if (even && AnyZero(low)) {
    if (const int utf16 = Utf16Tally(d, count); utf16 != 0) return utf16;
    tallied = true;
  }
  std::size_t covered = ascii;  // every byte before it has gone through `low`
  const Utf8Verdict utf8 = ScanUtf8(d, count, ascii, low, covered);
  bool euc = false;
  bool sjis = false;
  if (utf8 != Utf8Verdict::kUtf8) {
    euc = ScanEuc(d, count, ascii, low, covered);
    sjis = ScanSjis(d, count, ascii, low, covered);
  }
  if (even && !tallied && (AnyZero(low) || HasZero(d, covered, count))) {
    if (const int utf16 = Utf16Tally(d, count); utf16 != 0) return utf16;
  }
  return classify::DecideEncoding(utf8, euc, sjis);
}

}  // namespace
}  // namespace vlpd
