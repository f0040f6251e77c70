// The block-wise classifier paths against the scalar reference, wherever blocks could go wrong:
// characters across block edges, faults in the last partial block, windows cut anywhere, full
// windows and windows just short of full, and UTF-16 tallies too long for narrow counters.
#include "detect/classify_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "detect/encoding.h"
#include "fixtures/japanese_text.h"

namespace vlpd {
namespace {

using namespace std::string_literals;

using Classifier = int (*)(const unsigned char*, std::size_t);

struct Path {
  const char* name;
  Classifier classify;
  bool (*supported)();
};

std::ostream& operator<<(std::ostream& out, const Path& path) { return out << path.name; }

// Counts the windows on which a path and the reference disagree, and describes the first.
class Comparison {
 public:
  explicit Comparison(Classifier path) : path_(path) {}

  // Each window sits in a heap buffer of exactly its size, for the sanitizers.
  void Check(const std::string& window, const std::string& what) {
    std::unique_ptr<unsigned char[]> copy(new unsigned char[window.size()]);
    std::memcpy(copy.get(), window.data(), window.size());
    const int expected = ClassifyEncodingScalar(copy.get(), window.size());
    const int got = path_(copy.get(), window.size());
    if (got == expected) return;
    if (disagreements_++ == 0) {
      first_ = what + ": " + std::to_string(window.size()) + " bytes, reference " + std::to_string(expected) +
               ", path " + std::to_string(got);
    }
  }

  int disagreements() const { return disagreements_; }
  const std::string& first() const { return first_; }

 private:
  Classifier path_;
  int disagreements_ = 0;
  std::string first_;
};

class ClassifyPaths : public testing::TestWithParam<Path> {
 protected:
  void SetUp() override {
    if (!GetParam().supported()) GTEST_SKIP() << "the processor or the system cannot run this path";
  }
  Comparison Compare() const { return Comparison(GetParam().classify); }
};

#define EXPECT_AGREES(comparison) EXPECT_EQ((comparison).disagreements(), 0) << (comparison).first()

struct Sample {
  const char* name;
  std::string text;
};

const std::vector<Sample>& Fixtures() {
  static const std::vector<Sample> fixtures = {
      {"Shift-JIS", kJapaneseShiftJis.Str()}, {"EUC", kJapaneseEuc.Str()},
      {"UTF-8", kJapaneseUtf8.Str()},         {"UTF-16LE", kJapaneseUtf16Le.Str()},
      {"UTF-16BE", kJapaneseUtf16Be.Str()},
  };
  return fixtures;
}

std::string Repeat(const std::string& unit, std::size_t size) {
  std::string out;
  while (out.size() < size) out += unit;
  out.resize(size);
  return out;
}

// Every cut of every fixture after 0 to 64 ASCII bytes: characters cut at the window's end, lone
// leads, odd lengths, and each character on each side of a block edge.
TEST_P(ClassifyPaths, FixturesCutAnywhereAfterAnyAsciiPrefix) {
  Comparison comparison = Compare();
  for (const Sample& fixture : Fixtures()) {
    for (std::size_t prefix = 0; prefix <= 64; ++prefix) {
      const std::string text = std::string(prefix, 'a') + fixture.text;
      for (std::size_t size = prefix; size <= text.size(); ++size) {
        comparison.Check(text.substr(0, size), fixture.name + " after "s + std::to_string(prefix));
      }
    }
  }
  EXPECT_AGREES(comparison);
}

// One character, valid or not, at every position across the 16-, 32- and 64-byte edges of text
// in its own encoding, dense or a single character in ASCII, so that the pair state crosses
// blocks; the window ends with the character or up to three bytes after it.
TEST_P(ClassifyPaths, CharacterAcrossBlockEdges) {
  const std::vector<Sample> characters = {
      {"Shift-JIS pair", "\x88\x9F"},
      {"Shift-JIS pair, ASCII trail", "\x83\x40"},
      {"Shift-JIS lone lead", "\x88 "},
      {"half-width katakana", "\xB1"},
      {"EUC pair", "\xB0\xA1"},
      {"EUC single shift 2", "\x8E\xB1"},
      {"EUC single shift 3", "\x8F\xB0\xA1"},
      {"EUC lone lead", "\xB0 "},
      {"UTF-8 of 2 bytes", "\xC3\xA9"},
      {"UTF-8 of 3 bytes", "\xE3\x81\x82"},
      {"UTF-8 of 4 bytes", "\xF0\x9F\x98\x80"},
      {"UTF-8 cut", "\xE3\x81 "},
      {"UTF-8 overlong", "\xC0\xAF"},
      {"UTF-8 beyond U+10FFFF", "\xF7\xBF\xBF\xBF"},
      {"stray continuation", "\x80"},
      {"F8 lead", "\xF8\x80\x80\x80"},
      {"FF", "\xFF"},
      {"zero", "\x00"s},
  };
  const std::vector<Sample> backgrounds = {
      {"Shift-JIS", Repeat(kJapaneseShiftJis.Str(), 200)},
      {"EUC", Repeat(kJapaneseEuc.Str(), 200)},
      {"UTF-8", Repeat(kJapaneseUtf8.Str(), 200)},
      {"ASCII after Shift-JIS", Repeat("\x88\x9F" + std::string(198, 'a'), 200)},
      {"ASCII after EUC", Repeat("\xB0\xA1" + std::string(198, 'a'), 200)},
      {"ASCII after UTF-8", Repeat("\xE3\x81\x82" + std::string(197, 'a'), 200)},
  };
  Comparison comparison = Compare();
  for (const Sample& background : backgrounds) {
    for (const Sample& character : characters) {
      for (std::size_t at = 0; at < 140; ++at) {
        std::string window = background.text;
        window.replace(at, character.text.size(), character.text);
        const std::string what = character.name + " in "s + background.name + " at " + std::to_string(at);
        comparison.Check(window, what);
        for (std::size_t after = 0; after <= 3; ++after) {
          comparison.Check(window.substr(0, at + character.text.size() + after), what);
        }
      }
    }
  }
  EXPECT_AGREES(comparison);
}

// Bytes that end, cut or break a character, at each of the last 40 positions of windows that end
// in every position of a block.
TEST_P(ClassifyPaths, FaultsInTheLastPartialBlock) {
  const std::string faults = "\x00\x80\x88\x8E\x8F\xA0\xA1\xC3\xE3\xF0\xFD\xFF"s;
  Comparison comparison = Compare();
  for (const Sample& fixture : Fixtures()) {
    const std::string background = Repeat(fixture.text, 160);
    for (std::size_t size = 96; size < 160; ++size) {
      for (std::size_t back = 1; back <= 40; ++back) {
        for (const char fault : faults) {
          std::string window = background.substr(0, size);
          window[size - back] = fault;
          comparison.Check(window, fixture.name + " of "s + std::to_string(size) + ", fault " +
                                       std::to_string(back) + " from the end");
        }
      }
    }
  }
  EXPECT_AGREES(comparison);
}

// Windows of 262,140 to 262,144 bytes: only the last, full, one may end inside a UTF-8 sequence.
TEST_P(ClassifyPaths, FullWindowsAndWindowsJustShort) {
  const std::vector<std::string> tails = {
      "",         "\xE3", "\xE3\x81", "\xE3\x81\x82", "\xF0\x9F\x98", "\xC3", "\x88",
      "\x88\x9F", "\xB0", "\xB0\xA1", "\x8F\xB0",     "\xFF",         "\x80", "\xE3\x81\x82\x88"};
  Comparison comparison = Compare();
  std::vector<Sample> fillers = {{"ASCII", "plain text\r\n"}};
  fillers.insert(fillers.end(), Fixtures().begin(), Fixtures().end() - 1);  // one UTF-16 is enough
  for (const Sample& filler : fillers) {
    for (std::size_t size = kDetectionWindow - 4; size <= kDetectionWindow; ++size) {
      for (const std::string& tail : tails) {
        std::string window = Repeat(filler.text, size);
        window.replace(size - tail.size(), tail.size(), tail);
        comparison.Check(window, filler.name + " of "s + std::to_string(size) + " ending in " +
                                     std::to_string(tail.size()) + " set bytes");
      }
    }
  }
  EXPECT_AGREES(comparison);
}

// ASCII characters in UTF-16: votes that cancel out exactly, one vote deciding, and more votes
// of each kind than a counter of one byte or even of 16 bits holds.
TEST_P(ClassifyPaths, Utf16TalliesOfAnySize) {
  Comparison comparison = Compare();
  for (const std::size_t pairs : {std::size_t{1000}, std::size_t{50000}}) {
    const std::string little = Repeat("A\0"s, 2 * pairs);
    const std::string both = little + Repeat("\0A"s, 2 * pairs);
    comparison.Check(little, "little-endian only");
    comparison.Check(both, "cancelled out");
    comparison.Check(both + "B\0"s, "one little-endian vote more");
    comparison.Check("\0B"s + both, "one big-endian vote more");
    comparison.Check(both + "\x88\x9F", "cancelled out, Shift-JIS left");
  }
  EXPECT_AGREES(comparison);
}

#if defined(__i386__) || defined(__x86_64__)
const Path kPaths[] = {{"Sse2", ClassifyEncodingSse2, CpuHasSse2},
                       {"Avx2", ClassifyEncodingAvx2, CpuHasAvx2}};
#elif defined(__aarch64__)
const Path kPaths[] = {{"Neon", ClassifyEncodingNeon, CpuHasNeon}};
#endif

INSTANTIATE_TEST_SUITE_P(Each, ClassifyPaths, testing::ValuesIn(kPaths),
                         [](const testing::TestParamInfo<Path>& info) { return info.param.name; });

#if defined(__i386__) || defined(__x86_64__)
TEST(CpuFeaturesFrom, Avx2OnlyWhereTheSystemSavesTheYmmRegisters) {
  constexpr unsigned kAvxSaved = 3u << 27, kSse2 = 1u << 26, kAvx2 = 1u << 5;  // OSXSAVE and AVX; leaf 7
  EXPECT_TRUE(CpuFeaturesFrom(kAvxSaved, kSse2, 6, kAvx2).avx2 && CpuFeaturesFrom(0, kSse2, 0, 0).sse2);
  // XCR0 without YMM or without XMM, OSXSAVE or AVX missing, no AVX2.
  const struct {
    unsigned ecx, xcr0, ebx;
  } refused[] = {{kAvxSaved, 3, kAvx2},
                 {kAvxSaved, 5, kAvx2},
                 {1u << 28, 7, kAvx2},
                 {1u << 27, 7, kAvx2},
                 {kAvxSaved, 7, 0}};
  for (const auto& c : refused)
    EXPECT_FALSE(CpuFeaturesFrom(c.ecx, ~0u, c.xcr0, c.ebx).avx2) << c.ecx << ' ' << c.xcr0;
}
#endif

}  // namespace
}  // namespace vlpd
