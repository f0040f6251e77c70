// What the classifier's timings share, natively and under Wine: one full window for each class
// of text, and the one-pass read every path is measured against, the time just to read each byte
// of the same hot window.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <string>
#include <vector>

#include "detect/encoding.h"
#include "fixtures/japanese_text.h"

namespace vlpd {

struct TextClass {
  const char* name;
  std::string window;
  int expected;  // the answer every path must give
};

// Whole copies of `text`, padded with ASCII to exactly one full window.
inline std::string FullWindow(const std::string& text) {
  std::string out;
  while (out.size() + text.size() <= kDetectionWindow) out += text;
  out.resize(kDetectionWindow, 'x');
  return out;
}

inline const std::vector<TextClass>& TextClasses() {
  static const std::vector<TextClass> classes = {
      {"Ascii", FullWindow("Vellumpad ver1.50 opens this file as plain text.\r\n"), kEncodingShiftJis},
      {"ShiftJis", FullWindow(kJapaneseShiftJis.Str()), kEncodingShiftJis},
      {"EucJp", FullWindow(kJapaneseEuc.Str()), kEncodingEuc},
      {"Utf8", FullWindow(kJapaneseUtf8.Str()), kEncodingUtf8},
      {"Utf16Le", FullWindow(kJapaneseUtf16Le.Str()), kEncodingUtf16Le},
  };
  return classes;
}

// Reads every byte once, four registers at a time so that loads are the only limit.
// The stack is realigned for the 32-bit Windows build, where only 4 bytes are guaranteed.
__attribute__((target("sse2"), force_align_arg_pointer)) inline int OnePassRead(const unsigned char* d,
                                                                                std::size_t count) {
  __m128i a = _mm_setzero_si128();
  __m128i b = a;
  __m128i c = a;
  __m128i e = a;
  std::size_t p = 0;
  for (; p + 64 <= count; p += 64) {
    a = _mm_or_si128(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + p)));
    b = _mm_or_si128(b, _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + p + 16)));
    c = _mm_or_si128(c, _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + p + 32)));
    e = _mm_or_si128(e, _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + p + 48)));
  }
  int any = _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, e)));
  for (; p < count; ++p) any |= d[p];
  return any;
}

}  // namespace vlpd
