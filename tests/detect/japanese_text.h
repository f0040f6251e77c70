// One natural Japanese text (kanji, hiragana, katakana, ASCII, CR LF line ends) in each encoding,
// embedded from tests/detect/data at configure time so that no converter runs at test time.
#pragma once

#include <cstddef>
#include <string>

namespace vlpd {

struct ByteSpan {
  const unsigned char* data;
  std::size_t size;

  std::string Str() const { return std::string(reinterpret_cast<const char*>(data), size); }
};

// None of them starts with a byte-order mark.
extern const ByteSpan kJapaneseShiftJis;
extern const ByteSpan kJapaneseEuc;
extern const ByteSpan kJapaneseUtf8;
extern const ByteSpan kJapaneseUtf16Le;
extern const ByteSpan kJapaneseUtf16Be;

}  // namespace vlpd
