#include "project/encoding_picker.h"

#include "detect/encoding.h"

namespace vlpd {

int PickerEncoding(long position) {
  static constexpr int kCodes[] = {kEncodingAuto, kEncodingShiftJis, kEncodingEuc,
                                   kEncodingUtf8, kEncodingUtf16Be,  kEncodingUtf16Le};
  if (position < 1 || position >= static_cast<long>(sizeof kCodes / sizeof kCodes[0])) return kEncodingAuto;
  return kCodes[position];
}

}  // namespace vlpd
