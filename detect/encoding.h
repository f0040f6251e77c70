// Encoding codes shared by the detector, the editor launch and the project writer.
#pragma once

#include <cstddef>

namespace vlpd {

inline constexpr int kEncodingAuto = 0;  // undetermined, or left to the editor: no switch
inline constexpr int kEncodingShiftJis = 1;
inline constexpr int kEncodingEuc = 2;
inline constexpr int kEncodingUtf8 = 4;
inline constexpr int kEncodingUtf16Be = 5;
inline constexpr int kEncodingUtf16Le = 6;

// The detector's answer for a file that was opened but could not be read.
inline constexpr int kEncodingReadFailed = -1;

// Only the first 256 KiB of a file decide its encoding.
inline constexpr std::size_t kDetectionWindow = 262144;

// The editor's command-line switch for an encoding code, ending in one blank; "" for a code
// that has no switch (0, 3, negative or unknown).
constexpr const char* EncodingSwitch(int code) {
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
