// Throughput of the classifier on full detection windows, the size the project writer hands
// it for every member file of 256 KiB or more.
#include <benchmark/benchmark.h>

#include <string>

#include "detect/classify_encoding.h"
#include "detect/encoding.h"
#include "tests/detect/japanese_text.h"

namespace vlpd {
namespace {

// Whole copies of `text`, padded with ASCII to exactly one full window.
std::string FullWindow(const std::string& text) {
  std::string out;
  while (out.size() + text.size() <= kDetectionWindow) out += text;
  out.resize(kDetectionWindow, 'x');
  return out;
}

void Classify(benchmark::State& state, const std::string& window, int expected) {
  const auto* data = reinterpret_cast<const unsigned char*>(window.data());
  if (ClassifyEncoding(data, window.size()) != expected) {
    state.SkipWithError("the window is not classified as intended");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(ClassifyEncoding(data, window.size()));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(window.size()));
}

// ASCII passes all three scans to the end.
void BM_ClassifyAscii(benchmark::State& state) {
  static const std::string window = FullWindow("Vellumpad ver1.50 opens this file as plain text.\r\n");
  Classify(state, window, kEncodingShiftJis);
}
BENCHMARK(BM_ClassifyAscii);

void BM_ClassifyShiftJis(benchmark::State& state) {
  static const std::string window = FullWindow(kJapaneseShiftJis.Str());
  Classify(state, window, kEncodingShiftJis);
}
BENCHMARK(BM_ClassifyShiftJis);

void BM_ClassifyEucJp(benchmark::State& state) {
  static const std::string window = FullWindow(kJapaneseEuc.Str());
  Classify(state, window, kEncodingEuc);
}
BENCHMARK(BM_ClassifyEucJp);

// A UTF-8 verdict skips both byte scans.
void BM_ClassifyUtf8(benchmark::State& state) {
  static const std::string window = FullWindow(kJapaneseUtf8.Str());
  Classify(state, window, kEncodingUtf8);
}
BENCHMARK(BM_ClassifyUtf8);

}  // namespace
}  // namespace vlpd
