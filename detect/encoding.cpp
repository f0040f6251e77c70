#include "detect/encoding.h"

namespace vlpd {

const char* EncodingSwitch(int code) {
  switch (code) {
    case kEncodingShiftJis:
      return "/S ";
    case kEncodingEuc:
      return "/E ";
    case kEncodingUtf8:
      return "/U8 ";
    case kEncodingUtf16Be:
      return "/UB ";
    case kEncodingUtf16Le:
      return "/UL ";
    default:
      return "";
  }
}

}  // namespace vlpd
