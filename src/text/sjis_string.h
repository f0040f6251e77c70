// Character-aware scans over NUL-terminated strings of the system's ANSI code page (or of the
// code page whose table is passed).
#pragma once

#include "text/lead_bytes.h"

namespace vlpd {

// True when `pos` begins a character of the string starting at `start`. Walks from `start`
// every time and reads only the bytes before `pos` (plus the byte at `pos`).
bool IsCharStart(const char* start, const char* pos, const LeadByteTable& bytes = SystemLeadBytes());

// Folds ASCII A-Z to a-z in place; double-byte characters, trail bytes included, stay as they are.
void LowerAscii(char* text, const LeadByteTable& bytes = SystemLeadBytes());

// Byte-wise, case-sensitive comparison with bytes taken as signed: -1, 0 or 1.
// An absent argument on either side gives -1.
int CompareText(const char* a, const char* b);

}  // namespace vlpd
