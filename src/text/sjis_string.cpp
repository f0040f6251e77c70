#include "text/sjis_string.h"

namespace vlpd {

bool IsCharStart(const char* start, const char* pos, const LeadByteTable& bytes) {
  if (pos == start) return true;
  if (pos < start) return false;
  const char* p = start;
  while (p < pos) {
    // The trail byte read here is at most `pos` itself.
    if (IsLeadByte(bytes, static_cast<unsigned char>(p[0])) &&
        IsTrailByte(bytes, static_cast<unsigned char>(p[1]))) {
      p += 2;
    } else {
      p += 1;
    }
  }
  return p == pos;
}

void LowerAscii(char* text, const LeadByteTable& bytes) {
  for (char* p = text; *p != '\0';) {
    const auto b = static_cast<unsigned char>(p[0]);
    if (IsLeadByte(bytes, b) && IsTrailByte(bytes, static_cast<unsigned char>(p[1]))) {
      p += 2;
      continue;
    }
    if (b >= 'A' && b <= 'Z') *p = static_cast<char>(b + 0x20);
    ++p;
  }
}

int CompareText(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return -1;
  for (;; ++a, ++b) {
    if (*a != *b) return static_cast<signed char>(*a) > static_cast<signed char>(*b) ? 1 : -1;
    if (*a == '\0') return 0;
  }
}

}  // namespace vlpd
