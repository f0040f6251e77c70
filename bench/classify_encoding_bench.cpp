// Throughput of each classifier path on a full detection window of each class of text, beside
// memchr, uchardet and the one-pass read of the same window. The "x_read" counter is a speed as a
// fraction of the one-pass read's, timed in the same run by the thread's processor time (steadier
// with repetitions: --benchmark_repetitions=5 --benchmark_report_aggregates_only=true).
#include <benchmark/benchmark.h>
#include <uchardet.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>

#include "bench/classify_windows.h"
#include "detect/classify_encoding.h"
#include "detect/classify_paths.h"
#include "detect/encoding.h"

namespace vlpd {
namespace {

using Classifier = int (*)(const unsigned char*, std::size_t);

// This thread's processor time: other work on the machine does not count against a path.
double ThreadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Bytes per second of the one-pass read over a hot window: the best of rounds of 200 reads, as
// other work on the machine only ever slows a round down.
double OnePassBytesPerSecond() {
  static const double rate = [] {
    const std::string& window = TextClasses().front().window;
    const auto* data = reinterpret_cast<const unsigned char*>(window.data());
    double best = 0;
    for (int round = 0; round < 51; ++round) {
      const double start = ThreadSeconds();
      for (int i = 0; i < 200; ++i) benchmark::DoNotOptimize(OnePassRead(data, window.size()));
      best = std::max(best, 200.0 * static_cast<double>(window.size()) / (ThreadSeconds() - start));
    }
    return best;
  }();
  return rate;
}

// Runs `body` for every iteration, then reports its bytes per second and, as "x_read", its speed
// as a fraction of the one-pass read's.
template <class Body>
void Time(benchmark::State& state, std::size_t size, Body body) {
  const double start = ThreadSeconds();
  for (auto _ : state) body();
  const double seconds = ThreadSeconds() - start;
  const double bytes = static_cast<double>(state.iterations()) * static_cast<double>(size);
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["x_read"] = bytes / seconds / OnePassBytesPerSecond();
}

void Classify(benchmark::State& state, Classifier classify, bool supported, const TextClass& text) {
  if (!supported) {
    state.SkipWithError("the processor or the system lacks this path's instructions");
    return;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(text.window.data());
  if (classify(data, text.window.size()) != text.expected) {
    state.SkipWithError("the window is not classified as intended");
    return;
  }
  Time(state, text.window.size(), [&] { benchmark::DoNotOptimize(classify(data, text.window.size())); });
}

void Read(benchmark::State& state, const TextClass& text) {
  const auto* data = reinterpret_cast<const unsigned char*>(text.window.data());
  Time(state, text.window.size(), [&] { benchmark::DoNotOptimize(OnePassRead(data, text.window.size())); });
}

void Memchr(benchmark::State& state, const TextClass& text) {
  // A byte the window lacks, so that memchr reads all of it.
  int absent = 1;
  while (std::memchr(text.window.data(), absent, text.window.size()) != nullptr) ++absent;
  Time(state, text.window.size(),
       [&] { benchmark::DoNotOptimize(std::memchr(text.window.data(), absent, text.window.size())); });
}

void Uchardet(benchmark::State& state, const TextClass& text) {
  const uchardet_t detector = uchardet_new();
  Time(state, text.window.size(), [&] {
    uchardet_reset(detector);
    uchardet_handle_data(detector, text.window.data(), text.window.size());
    uchardet_data_end(detector);
    benchmark::DoNotOptimize(uchardet_get_charset(detector));
  });
  state.SetLabel(uchardet_get_charset(detector));
  uchardet_delete(detector);
}

bool Always() { return true; }

// Registered by hand: one benchmark per class and path, grouped by class.
int RegisterAll() {
  struct Path {
    const char* name;
    Classifier classify;
    bool (*supported)();
  };
  static const Path kPaths[] = {
    {"Scalar", ClassifyEncodingScalar, Always},
#if defined(__i386__) || defined(__x86_64__)
    {"Sse2", ClassifyEncodingSse2, CpuHasSse2},
    {"Avx2", ClassifyEncodingAvx2, CpuHasAvx2},
#elif defined(__aarch64__)
    // Only on an ARM64 machine: under qemu-user every NEON instruction is emulated, so the
    // arm64 presets check NEON's answers (tests, fuzzer) but measure no speed.
    {"Neon", ClassifyEncodingNeon, CpuHasNeon},
#endif
    {"Dispatched", ClassifyEncoding, Always},
  };
  for (const TextClass& text : TextClasses()) {
    const std::string suffix = std::string("/") + text.name;
    benchmark::RegisterBenchmark(("OnePassRead" + suffix).c_str(), Read, text);
    benchmark::RegisterBenchmark(("Memchr" + suffix).c_str(), Memchr, text);
    for (const Path& path : kPaths) {
      benchmark::RegisterBenchmark((std::string("Classify") + path.name + suffix).c_str(), Classify,
                                   path.classify, path.supported(), text);
    }
    benchmark::RegisterBenchmark(("Uchardet" + suffix).c_str(), Uchardet, text);
  }
  return 0;
}

const int kRegistered = RegisterAll();

}  // namespace
}  // namespace vlpd
