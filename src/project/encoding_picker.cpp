#include "project/encoding_picker.h"

namespace vlpd {

int PickerEncoding(long position) {
  if (position < 1 || position >= kPickerEntryCount) return kEncodingAuto;
  return kEncodings[position - 1].code;
}

}  // namespace vlpd
