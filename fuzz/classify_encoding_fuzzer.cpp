// ClassifyEncoding on arbitrary windows held in heap buffers of exactly their size: no read
// beyond the window, an answer from the allowed set, and answers that fit the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "detect/classify_encoding.h"
#include "detect/encoding.h"
#include "fuzz/fuzz_input.h"

namespace vlpd::fuzz {
namespace {

int MarkOf(const unsigned char* d, std::size_t n) {
  if (n >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF) return -vlpd::kEncodingUtf8;
  if (n >= 2 && d[0] == 0xFE && d[1] == 0xFF) return -vlpd::kEncodingUtf16Be;
  if (n >= 2 && d[0] == 0xFF && d[1] == 0xFE) return -vlpd::kEncodingUtf16Le;
  return 0;
}

}  // namespace

void FuzzOne(FuzzInput& input) {
  const std::string bytes = input.Rest();
  const std::size_t size = bytes.size();
  if (size > kDetectionWindow) return;
  const std::unique_ptr<unsigned char[]> window = ExactBytes(bytes);
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());

  const int code = vlpd::ClassifyEncoding(window.get(), size);
  Require(code == 0 || code == 1 || code == 2 || (code >= 4 && code <= 6) || (code >= -6 && code <= -4));
  Require(code == vlpd::ClassifyEncoding(window.get(), size));
  Require(size == 0 || std::memcmp(window.get(), data, size) == 0);

  // A negative answer comes from a byte-order mark and from nothing else.
  const int mark = MarkOf(window.get(), size);
  if (mark != 0 || code < 0) {
    Require(code == mark);
    return;
  }

  bool seven_bit = true;
  bool zero = false;
  bool never_euc = false;
  for (std::size_t i = 0; i < size; ++i) {
    seven_bit = seven_bit && window[i] < 0x80;
    zero = zero || window[i] == 0;
    never_euc = never_euc || (window[i] >= 0x90 && window[i] <= 0x9F);
  }
  // UTF-16 is told by zero bytes, and only in an even window.
  if (code == vlpd::kEncodingUtf16Be || code == vlpd::kEncodingUtf16Le) Require(size % 2 == 0 && zero);
  // 7-bit text that is not UTF-16 passes every scan and is taken for Shift-JIS.
  if (seven_bit && size > 0 && (size % 2 == 1 || !zero)) Require(code == vlpd::kEncodingShiftJis);
  // EUC needs bytes of 0x80 and above, and none of 0x90-0x9F.
  if (code == vlpd::kEncodingEuc) Require(!seven_bit && !never_euc);
}

}  // namespace vlpd::fuzz
