#include "detect/classify_encoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "detect/classify_paths.h"
#include "detect/encoding.h"
#include "fixtures/japanese_text.h"

namespace vlpd {
namespace {

using namespace std::string_literals;

// Classifies a copy held in a heap buffer of exactly its size, so that the sanitizers catch any
// read at or beyond the end of the window; every path the processor runs must give the same answer.
int Classify(const std::string& bytes) {
  std::unique_ptr<unsigned char[]> copy(new unsigned char[bytes.size()]);
  std::memcpy(copy.get(), bytes.data(), bytes.size());
  const int code = ClassifyEncodingScalar(copy.get(), bytes.size());
  EXPECT_EQ(ClassifyEncoding(copy.get(), bytes.size()), code);
#if defined(__i386__) || defined(__x86_64__)
  if (CpuHasSse2()) {
    EXPECT_EQ(ClassifyEncodingSse2(copy.get(), bytes.size()), code) << "SSE2";
  }
  if (CpuHasAvx2()) {
    EXPECT_EQ(ClassifyEncodingAvx2(copy.get(), bytes.size()), code) << "AVX2";
  }
#elif defined(__aarch64__)
  EXPECT_EQ(ClassifyEncodingNeon(copy.get(), bytes.size()), code) << "NEON";
#endif
  return code;
}

std::string Repeat(const std::string& unit, std::size_t size) {
  std::string out;
  out.reserve(size + unit.size());
  while (out.size() < size) out += unit;
  out.resize(size);
  return out;
}

// Whole copies of `text`, then ASCII padding, then `tail`: `size` bytes whose only cut
// character, if any, is the one `tail` ends with.
std::string FillWindow(const std::string& text, const std::string& tail,
                       std::size_t size = kDetectionWindow) {
  std::string out;
  while (out.size() + text.size() + tail.size() <= size) out += text;
  out.append(size - out.size() - tail.size(), 'x');
  return out + tail;
}

TEST(ClassifyEncoding, EmptyWindowIsUndetermined) {
  const unsigned char none[1] = {0xFF};
  EXPECT_EQ(ClassifyEncoding(none, 0), kEncodingAuto);
}

TEST(ClassifyEncoding, ByteOrderMarkDecidesAlone) {
  EXPECT_EQ(Classify("\xEF\xBB\xBF"), -kEncodingUtf8);
  EXPECT_EQ(Classify("\xFE\xFF"), -kEncodingUtf16Be);
  EXPECT_EQ(Classify("\xFF\xFE"), -kEncodingUtf16Le);
  EXPECT_EQ(Classify("\xFF\xFE\x00\x00"s), -kEncodingUtf16Le);  // UTF-32LE's mark
  // Two bytes of the UTF-8 mark are no mark: EUC and Shift-JIS both accept them.
  EXPECT_EQ(Classify("\xEF\xBB"), kEncodingAuto);
}

TEST(ClassifyEncoding, ByteOrderMarkOutweighsContradictingText) {
  EXPECT_EQ(Classify("\xEF\xBB\xBF" + kJapaneseShiftJis.Str()), -kEncodingUtf8);
  EXPECT_EQ(Classify("\xFE\xFF" + kJapaneseUtf16Le.Str()), -kEncodingUtf16Be);
  EXPECT_EQ(Classify("\xFF\xFE" + kJapaneseUtf16Be.Str()), -kEncodingUtf16Le);
  EXPECT_EQ(Classify("\xFF\xFE" + kJapaneseEuc.Str()), -kEncodingUtf16Le);
}

TEST(ClassifyEncoding, AsciiTextIsShiftJis) {
  EXPECT_EQ(Classify("Hello, world.\r\n"), kEncodingShiftJis);   // odd length
  EXPECT_EQ(Classify("Hello, world!!\r\n"), kEncodingShiftJis);  // even length
  EXPECT_EQ(Classify("line one\r\nline two\r\n\r\n"), kEncodingShiftJis);
  EXPECT_EQ(Classify(Repeat("ASCII only. ", kDetectionWindow)), kEncodingShiftJis);
}

TEST(ClassifyEncoding, OneByteWindows) {
  EXPECT_EQ(Classify("\x41"), kEncodingShiftJis);
  EXPECT_EQ(Classify("\x82"), kEncodingShiftJis);  // a lone lead byte passes as a single byte
  EXPECT_EQ(Classify("\xB1"), kEncodingAuto);      // EUC is cut short, Shift-JIS rejects katakana
  EXPECT_EQ(Classify("\xFF"), kEncodingAuto);
}

TEST(ClassifyEncoding, TwoByteWindows) {
  EXPECT_EQ(Classify("\x41\x00"s), kEncodingUtf16Le);
  EXPECT_EQ(Classify("\x00\x41"s), kEncodingUtf16Be);
  EXPECT_EQ(Classify("\x00\x00"s), kEncodingShiftJis);
}

TEST(ClassifyEncoding, OnePairOfEvidenceDecidesUtf16) {
  EXPECT_EQ(Classify("\x41\x00\x43\x44"s), kEncodingUtf16Le);
  EXPECT_EQ(Classify("\x41\x42\x00\x44"s), kEncodingUtf16Be);
  EXPECT_EQ(Classify("\x41\x00\x00\x41"s), kEncodingShiftJis);  // the votes cancel out
  // Beside a zero only 0x01-0x7F counts: 0x80 and above is no ASCII character.
  EXPECT_EQ(Classify("\x80\x00"s), kEncodingShiftJis);
  EXPECT_EQ(Classify("\x00\x80"s), kEncodingShiftJis);
  EXPECT_EQ(Classify("\x41\x00"s + Repeat("\x41\x42\x00\x00"s, 4096)), kEncodingUtf16Le);
}

TEST(ClassifyEncoding, ZeroBytesInOddWindowsAreSevenBitData) {
  EXPECT_EQ(Classify("\x41\x00\x43"s), kEncodingShiftJis);
  EXPECT_EQ(Classify("\x00\x41\x00"s), kEncodingShiftJis);
  EXPECT_EQ(Classify("Hello"s + std::string(4, '\0')), kEncodingShiftJis);
}

TEST(ClassifyEncoding, Utf16WithoutMark) {
  EXPECT_EQ(Classify("H\0e\0l\0l\0o\0"s), kEncodingUtf16Le);
  EXPECT_EQ(Classify("\0H\0e\0l\0l\0o"s), kEncodingUtf16Be);
  // これはテスト: no ASCII, no character with a zero low byte, so the byte scans decide.
  EXPECT_EQ(Classify("\x53\x30\x8C\x30\x6F\x30\xC6\x30\xB9\x30\xC8\x30"), kEncodingAuto);
  // 一 (U+4E00) looks like an ASCII character in the other byte order.
  EXPECT_EQ(Classify("\x00\x4E"s), kEncodingUtf16Be);
}

TEST(ClassifyEncoding, JapaneseTextInEachEncoding) {
  EXPECT_EQ(Classify(kJapaneseShiftJis.Str()), kEncodingShiftJis);
  EXPECT_EQ(Classify(kJapaneseEuc.Str()), kEncodingEuc);
  EXPECT_EQ(Classify(kJapaneseUtf8.Str()), kEncodingUtf8);
  EXPECT_EQ(Classify(kJapaneseUtf16Le.Str()), kEncodingUtf16Le);
  EXPECT_EQ(Classify(kJapaneseUtf16Be.Str()), kEncodingUtf16Be);
}

TEST(ClassifyEncoding, JapaneseTextWithByteOrderMark) {
  EXPECT_EQ(Classify("\xEF\xBB\xBF" + kJapaneseUtf8.Str()), -kEncodingUtf8);
  EXPECT_EQ(Classify("\xFE\xFF" + kJapaneseUtf16Be.Str()), -kEncodingUtf16Be);
  EXPECT_EQ(Classify("\xFF\xFE" + kJapaneseUtf16Le.Str()), -kEncodingUtf16Le);
}

TEST(ClassifyEncoding, HalfWidthKatakanaCountsAgainstShiftJis) {
  EXPECT_EQ(Classify("\xB1\xB2"), kEncodingEuc);       // ｱｲ pairs up as one EUC character
  EXPECT_EQ(Classify("\xB1\xB2\xB3"), kEncodingAuto);  // ｱｲｳ leaves EUC one byte short
  EXPECT_EQ(Classify("\x82\xB1\x82\xEA\x82\xCD\xC3\xBD\xC4\x82\xC5\x82\xB7"),
            kEncodingAuto);  // これはﾃｽﾄです
}

TEST(ClassifyEncoding, EucSingleShifts) {
  // ｱｲｳ in EUC: 0x8E is a Shift-JIS lead byte as well, so both scans accept it.
  EXPECT_EQ(Classify("\x8E\xB1\x8E\xB2\x8E\xB3"), kEncodingAuto);
  EXPECT_EQ(Classify("\x8E\xB1\xB4\xC1\xBB\xFA\x78"), kEncodingEuc);  // ｱ漢字x
  // Single shift 3 pairs with one byte; the third byte starts a character of its own.
  EXPECT_EQ(Classify("\x8F\xB0\xA1\x78"), kEncodingAuto);
  EXPECT_EQ(Classify("\x8F\xB0\xA1\xA1"), kEncodingEuc);
}

TEST(ClassifyEncoding, BytesNeverSeenInEucRuleItOutAnywhere) {
  EXPECT_EQ(Classify(kJapaneseEuc.Str() + "\xB0\xA1"), kEncodingEuc);
  EXPECT_EQ(Classify(kJapaneseEuc.Str() + "\x95\x5C"), kEncodingAuto);
  EXPECT_EQ(Classify(kJapaneseEuc.Str() + "a\x9F"), kEncodingAuto);
}

TEST(ClassifyEncoding, ShiftJisLeadAndSingleBytes) {
  EXPECT_EQ(Classify("\xF0\x40\x61\x62\x63"), kEncodingAuto);  // user-defined lead 0xF0
  EXPECT_EQ(Classify("\xE0\x40\x61\x62"), kEncodingShiftJis);
  // 0x80 and 0xA0 pass as single bytes; 0xFD to 0xFF never do.
  EXPECT_EQ(Classify("\x41\x80\x41"), kEncodingShiftJis);
  EXPECT_EQ(Classify("\x41\xA0\x41"), kEncodingShiftJis);
  EXPECT_EQ(Classify("\x41\xFD\x41"), kEncodingAuto);
  EXPECT_EQ(Classify("\x41\xFF\x41"), kEncodingAuto);
  // A trail byte inside a pair is never tested as a character start.
  EXPECT_EQ(Classify("\x81\xA1"), kEncodingShiftJis);
}

TEST(ClassifyEncoding, Utf8ShapesTheScanDoesNotTest) {
  EXPECT_EQ(Classify("\x61\xC0\xAF\x62"), kEncodingUtf8);  // overlong
  EXPECT_EQ(Classify("\xED\xA0\x80"), kEncodingUtf8);      // surrogate
  EXPECT_EQ(Classify("\xF5\x80\x80\x80"), kEncodingUtf8);  // beyond U+10FFFF
  EXPECT_EQ(Classify("\xF8\x80\x80\x80"), kEncodingAuto);  // no lead byte at all
}

TEST(ClassifyEncoding, SequenceCutByShortWindowIsNotUtf8) {
  EXPECT_EQ(Classify("\x41\xE3\x81\x82"), kEncodingUtf8);
  EXPECT_EQ(Classify("\x41\xE3\x81"), kEncodingShiftJis);  // EUC fails, Shift-JIS pairs 0xE3 0x81
}

TEST(ClassifyEncoding, FullWindowToleratesOnlyAUtf8Cut) {
  const std::string aa_a = "\x41\x41\xE3\x81\x82";  // AAあ
  // The window ends two bytes into a sequence, which is never examined.
  EXPECT_EQ(Classify(Repeat(aa_a, kDetectionWindow)), kEncodingUtf8);
  // One byte short the window is not full, and its last byte 0xE3 is a cut sequence.
  EXPECT_EQ(Classify(Repeat(aa_a, kDetectionWindow - 1)), kEncodingShiftJis);

  EXPECT_EQ(Classify(std::string(262141, 'A') + "\xE3\x81\x82"), kEncodingShiftJis);
  EXPECT_EQ(Classify(std::string(262140, 'A') + "\xE3\x81\x82" + "A"), kEncodingUtf8);
  EXPECT_EQ(Classify(std::string(262143, 'A') + "\xFF"), kEncodingUtf8);
  EXPECT_EQ(Classify(std::string(262140, 'A') + "\xFF" + "AAA"), kEncodingAuto);
}

TEST(ClassifyEncoding, UnexaminedTailDecidesBetweenTheByteScans) {
  // The UTF-8 scan sees 7-bit data only; the tail then picks the row of the decision table.
  EXPECT_EQ(Classify(std::string(262142, 'A') + "\xB0\xA1"), kEncodingShiftJis);  // EUC only
  EXPECT_EQ(Classify(std::string(262142, 'A') + "\x88\x9F"), kEncodingShiftJis);  // Shift-JIS only
  EXPECT_EQ(Classify(std::string(262142, 'A') + "\xFF\xFF"), kEncodingUtf8);      // neither
}

TEST(ClassifyEncoding, JapaneseTextFillingTheWindow) {
  const std::string sjis = kJapaneseShiftJis.Str();
  const std::string euc = kJapaneseEuc.Str();
  const std::string utf8 = kJapaneseUtf8.Str();
  EXPECT_EQ(Classify(FillWindow(sjis, "\x88\x9F")), kEncodingShiftJis);      // ...亜
  EXPECT_EQ(Classify(FillWindow(sjis, "\x88\x9F\x88")), kEncodingShiftJis);  // lone lead passes
  EXPECT_EQ(Classify(FillWindow(euc, "\xB0\xA1")), kEncodingEuc);
  EXPECT_EQ(Classify(FillWindow(euc, "\xB0\xA1\xB0")), kEncodingAuto);  // no tolerance for EUC
  EXPECT_EQ(Classify(FillWindow(utf8, "\xE4\xBA\x9C")), kEncodingUtf8);
  EXPECT_EQ(Classify(FillWindow(utf8, "\xE4\xBA")), kEncodingUtf8);
}

TEST(ClassifyEncoding, ReadsNothingBeyondCount) {
  const unsigned char bytes[] = {0x41, 0x00};
  EXPECT_EQ(ClassifyEncoding(bytes, 1), kEncodingShiftJis);
  const std::string euc = kJapaneseEuc.Str() + "\x95";  // the 0x95 would rule EUC out
  EXPECT_EQ(ClassifyEncoding(reinterpret_cast<const unsigned char*>(euc.data()), euc.size() - 1),
            kEncodingEuc);
}

}  // namespace
}  // namespace vlpd
