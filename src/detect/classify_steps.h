// The scalar steps of the encoding classifier. The reference classifier is made of them alone;
// the block-wise paths take from them the byte-order mark, the decision table and the last bytes
// of each scan, resumed at a character start that the blocks before it led to.
#pragma once

#include <cstddef>

namespace vlpd {
namespace classify {

enum class Utf8Verdict { kSevenBit, kUtf8, kNotUtf8 };

// -4, -5 or -6 for the byte-order mark that starts the window, else 0.
int ByteOrderMark(const unsigned char* d, std::size_t count);

// The UTF-16 votes of the byte pairs from `begin` (even) up to `end`: one up for an ASCII character
// in little-endian order, one down for one in big-endian order.
long Utf16Votes(const unsigned char* d, std::size_t begin, std::size_t end);
int Utf16FromVotes(long votes);

// Each scan goes on from the character start `p`, everything before it having passed;
// `multibyte` tells whether a multibyte character came before `p`.
Utf8Verdict ScanUtf8(const unsigned char* d, std::size_t count, std::size_t p, bool multibyte);
bool IsValidEuc(const unsigned char* d, std::size_t count, std::size_t p);
bool IsValidSjis(const unsigned char* d, std::size_t count, std::size_t p);

// The answer once the UTF-16 tally has not decided.
int DecideEncoding(Utf8Verdict utf8, bool euc, bool sjis);

}  // namespace classify
}  // namespace vlpd
