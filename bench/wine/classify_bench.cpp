// Times each classifier path on a full window of each class of text under Wine (the i686 build
// that ships), beside memchr and the one-pass read of the same hot window, and prints each speed
// as a fraction of the one-pass read. A timing program, not a test:
//   cmake --preset win32 -B build/win32-bench -DVLPD_BENCH=ON
//   cmake --build build/win32-bench --target classify_bench
//   tools/wine-run.sh build/win32-bench/bench/wine/classify_bench.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "bench/classify_windows.h"
#include "detect/classify_encoding.h"
#include "detect/classify_paths.h"

namespace {

constexpr int kRounds = 31;

double Now() {
  LARGE_INTEGER counter;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Bytes per second of `run` over `size` bytes: the best of kRounds rounds, each repeated long enough
// (about 2 ms) for the clock. Other work on the machine only ever slows a round down.
template <class Run>
double BytesPerSecond(std::size_t size, Run run) {
  int repeats = 1;
  for (;;) {
    const double start = Now();
    for (int i = 0; i < repeats; ++i) run();
    if (Now() - start > 0.002) break;
    repeats *= 2;
  }
  double best = 0;
  for (int round = 0; round < kRounds; ++round) {
    const double start = Now();
    for (int i = 0; i < repeats; ++i) run();
    best = std::max(best, static_cast<double>(size) * repeats / (Now() - start));
  }
  return best;
}

volatile int sink;

}  // namespace

int main() {
  using Classifier = int (*)(const unsigned char*, std::size_t);
  struct Path {
    const char* name;
    Classifier classify;
    bool supported;
  };
  const Path paths[] = {
    {"scalar", vlpd::ClassifyEncodingScalar, true},
#if defined(__i386__) || defined(__x86_64__)
    {"sse2", vlpd::ClassifyEncodingSse2, vlpd::CpuHasSse2()},
    {"avx2", vlpd::ClassifyEncodingAvx2, vlpd::CpuHasAvx2()},
#elif defined(__aarch64__)
    // Timed only on ARM64 hardware: emulated NEON (qemu) says nothing of its speed.
    {"neon", vlpd::ClassifyEncodingNeon, vlpd::CpuHasNeon()},
#endif
    {"dispatched", vlpd::ClassifyEncoding, true},
  };
  std::printf("%-10s %-14s %12s %10s\n", "class", "path", "MB/s", "x read");
  for (const vlpd::TextClass& text : vlpd::TextClasses()) {
    const auto* data = reinterpret_cast<const unsigned char*>(text.window.data());
    const std::size_t size = text.window.size();
    const double read = BytesPerSecond(size, [&] { sink = vlpd::OnePassRead(data, size); });
    auto print = [&](const char* name, double rate) {
      std::printf("%-10s %-14s %12.0f %10.3f\n", text.name, name, rate / 1e6, rate / read);
    };
    print("one-pass read", read);
    // A byte the window lacks, so that memchr reads all of it.
    int absent = 1;
    while (std::memchr(data, absent, size) != nullptr) ++absent;
    print("memchr", BytesPerSecond(size, [&] { sink = std::memchr(data, absent, size) != nullptr; }));
    for (const Path& path : paths) {
      if (!path.supported) {
        std::printf("%-10s %-14s %12s\n", text.name, path.name, "unsupported");
        continue;
      }
      if (path.classify(data, size) != text.expected) {
        std::fprintf(stderr, "%s: the %s window is not classified as intended\n", path.name, text.name);
        return 1;
      }
      print(path.name, BytesPerSecond(size, [&] { sink = path.classify(data, size); }));
    }
  }
  return 0;
}
