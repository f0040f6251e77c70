#include "detect/classify_encoding.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#include "detect/classify_paths.h"
#include "detect/classify_steps.h"
#include "detect/encoding.h"
#include "detect/euc_class.h"
#include "text/sjis_class.h"

namespace vlpd {
namespace classify {
namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// True when the `n` bytes after `p` exist within the window and are all continuation bytes.
bool ContinuationsFollow(const unsigned char* d, std::size_t count, std::size_t p, std::size_t n) {
  if (p + n > count - 1) return false;
  for (std::size_t i = 1; i <= n; ++i) {
    if (!IsContinuation(d[p + i])) return false;
  }
  return true;
}

}  // namespace

int ByteOrderMark(const unsigned char* d, std::size_t count) {
  if (count >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF) return -kEncodingUtf8;
  if (count >= 2 && d[0] == 0xFE && d[1] == 0xFF) return -kEncodingUtf16Be;
  if (count >= 2 && d[0] == 0xFF && d[1] == 0xFE) return -kEncodingUtf16Le;
  return 0;
}

// ASCII characters give UTF-16 away by their zero byte; its side tells the byte order.
long Utf16Votes(const unsigned char* d, std::size_t begin, std::size_t end) {
  long tally = 0;
  for (std::size_t i = begin; i + 1 < end; i += 2) {
    const unsigned char first = d[i];
    const unsigned char second = d[i + 1];
    if (second == 0 && first >= 0x01 && first <= 0x7F) {
      ++tally;
    } else if (first == 0 && second >= 0x01 && second <= 0x7F) {
      --tally;
    }
  }
  return tally;
}

int Utf16FromVotes(long votes) {
  if (votes > 0) return kEncodingUtf16Le;
  if (votes < 0) return kEncodingUtf16Be;
  return 0;
}

Utf8Verdict ScanUtf8(const unsigned char* d, std::size_t count, std::size_t p, bool multibyte) {
  // A full window usually ends inside the file, so a sequence it cuts is not held against it.
  const bool full = count == kDetectionWindow;
  while (p < count) {
    if (full && p > kDetectionWindow - 4) break;
    const unsigned char b = d[p];
    std::size_t length = 1;
    if (b >= 0xF0 && b <= 0xF7 && ContinuationsFollow(d, count, p, 3)) {
      length = 4;
    } else if (b >= 0xE0 && b <= 0xEF && ContinuationsFollow(d, count, p, 2)) {
      length = 3;
    } else if (b >= 0xC0 && b <= 0xDF && ContinuationsFollow(d, count, p, 1)) {
      length = 2;
    } else if (b >= 0x80) {
      return Utf8Verdict::kNotUtf8;
    }
    if (length > 1) multibyte = true;
    p += length;
  }
  return multibyte ? Utf8Verdict::kUtf8 : Utf8Verdict::kSevenBit;
}

bool IsValidEuc(const unsigned char* d, std::size_t count, std::size_t p) {
  while (p < count) {
    const unsigned char b = d[p];
    if (kEucClass[b] & kEucNever) return false;
    if (p == count - 1) return b < 0x80;
    const unsigned char next = d[p + 1];
    if ((kEucClass[b] & (kEucLead | kEucSingleShift2 | kEucSingleShift3)) && (kEucClass[next] & kEucTrail)) {
      p += 2;
    } else if ((kEucClass[next] & kEucNever) || b >= 0x80) {
      return false;
    } else {
      p += 1;
    }
  }
  return true;
}

bool IsValidSjis(const unsigned char* d, std::size_t count, std::size_t p) {
  while (p < count) {
    const unsigned char b = d[p];
    if (kEucClass[b] & kNotSjisStart) return false;
    if (p != count - 1 && IsSjisLead(b) && IsSjisTrail(d[p + 1])) {
      p += 2;
    } else if (b > 0xFC) {
      return false;
    } else {
      p += 1;
    }
  }
  return true;
}

int DecideEncoding(Utf8Verdict utf8, bool euc, bool sjis) {
  if (utf8 == Utf8Verdict::kUtf8) return kEncodingUtf8;
  if (utf8 == Utf8Verdict::kSevenBit) {
    // Only bytes at or above 0x80 left unexamined at the end of a full window fail both scans.
    return euc || sjis ? kEncodingShiftJis : kEncodingUtf8;
  }
  if (euc == sjis) return kEncodingAuto;  // both fit, or neither does: no telling
  return euc ? kEncodingEuc : kEncodingShiftJis;
}

}  // namespace classify

namespace {

using Classifier = int (*)(const unsigned char*, std::size_t);

#if defined(__i386__) || defined(__x86_64__)
// The register states the operating system saves on a task switch (XCR0).
unsigned SavedRegisterStates() {
  unsigned low = 0;
  unsigned high = 0;
  __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return low;
}

CpuFeatures ReadCpuFeatures() {
  unsigned eax = 0, ecx = 0, edx = 0, leaf7_ebx = 0, unused = 0;
  if (!__get_cpuid(1, &eax, &unused, &ecx, &edx)) return {};
  // xgetbv exists only once the system has enabled it (OSXSAVE).
  const unsigned xcr0 = (ecx & bit_OSXSAVE) != 0 ? SavedRegisterStates() : 0;
  if (!__get_cpuid_count(7, 0, &eax, &leaf7_ebx, &unused, &unused)) leaf7_ebx = 0;
  return CpuFeaturesFrom(ecx, edx, xcr0, leaf7_ebx);
}

const CpuFeatures& Features() {
  static const CpuFeatures kFeatures = ReadCpuFeatures();
  return kFeatures;
}

Classifier FastestClassifier() {
  if (CpuHasAvx2()) return ClassifyEncodingAvx2;
  if (CpuHasSse2()) return ClassifyEncodingSse2;
  return ClassifyEncodingScalar;
}
#elif defined(__aarch64__)
Classifier FastestClassifier() { return ClassifyEncodingNeon; }
#else
Classifier FastestClassifier() { return ClassifyEncodingScalar; }
#endif

}  // namespace

#if defined(__i386__) || defined(__x86_64__)

CpuFeatures CpuFeaturesFrom(unsigned leaf1_ecx, unsigned leaf1_edx, unsigned xcr0, unsigned leaf7_ebx) {
  CpuFeatures features;
  features.sse2 = (leaf1_edx & bit_SSE2) != 0;
  // AVX2 needs the system to save both halves of the YMM registers: XCR0 bits 1 (XMM) and 2 (YMM).
  const bool ymm_saved = (leaf1_ecx & bit_OSXSAVE) != 0 && (leaf1_ecx & bit_AVX) != 0 && (xcr0 & 6) == 6;
  features.avx2 = ymm_saved && (leaf7_ebx & bit_AVX2) != 0;
  return features;
}

bool CpuHasSse2() { return Features().sse2; }
bool CpuHasAvx2() { return Features().avx2; }
#endif

int ClassifyEncodingScalar(const unsigned char* data, std::size_t count) {
  if (count == 0) return kEncodingAuto;
  if (const int mark = classify::ByteOrderMark(data, count); mark != 0) return mark;
  if (count % 2 == 0) {
    if (const int utf16 = classify::Utf16FromVotes(classify::Utf16Votes(data, 0, count)); utf16 != 0) {
      return utf16;
    }
  }
  const classify::Utf8Verdict utf8 = classify::ScanUtf8(data, count, 0, false);
  if (utf8 == classify::Utf8Verdict::kUtf8) return kEncodingUtf8;
  return classify::DecideEncoding(utf8, classify::IsValidEuc(data, count, 0),
                                  classify::IsValidSjis(data, count, 0));
}

int ClassifyEncoding(const unsigned char* data, std::size_t count) {
  static const Classifier kClassifier = FastestClassifier();
  return kClassifier(data, count);
}

}  // namespace vlpd
