// The classifier's paths, each giving ClassifyEncoding's answer for every window: the scalar
// reference and the block-wise paths, SSE2 and AVX2 on x86, NEON on ARM64. ClassifyEncoding runs
// the fastest path the processor and the operating system support; tests, fuzzers and benchmarks
// call each one.
#pragma once

#include <cstddef>

namespace vlpd {

int ClassifyEncodingScalar(const unsigned char* data, std::size_t count);

#if defined(__i386__) || defined(__x86_64__)

// Only where CpuHasSse2() holds.
int ClassifyEncodingSse2(const unsigned char* data, std::size_t count);

// Only where CpuHasAvx2() holds: the processor has AVX2 and the system saves the YMM registers.
int ClassifyEncodingAvx2(const unsigned char* data, std::size_t count);

// Read from the processor once, on the first call.
bool CpuHasSse2();
bool CpuHasAvx2();

// The paths a processor and its system allow, from the registers that tell them: CPUID leaf 1's
// ECX and EDX, the register states the system saves (XCR0, read only where leaf 1 reports
// OSXSAVE; pass 0 otherwise) and CPUID leaf 7's EBX.
struct CpuFeatures {
  bool sse2 = false;
  bool avx2 = false;
};
CpuFeatures CpuFeaturesFrom(unsigned leaf1_ecx, unsigned leaf1_edx, unsigned xcr0, unsigned leaf7_ebx);

#elif defined(__aarch64__)
int ClassifyEncodingNeon(const unsigned char* data, std::size_t count);

// Every ARM64 processor has NEON: nothing to ask the processor.
inline bool CpuHasNeon() { return true; }
#endif

}  // namespace vlpd
