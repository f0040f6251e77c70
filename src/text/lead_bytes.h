// Which bytes of the system's ANSI code page begin a double-byte character, and which bytes may
// complete one: every path scan reads names by this table, so a trail byte 0x5C is no separator
// exactly where the system's own ANSI functions say so.
#pragma once

#include <array>
#include <cstdint>

namespace vlpd {

struct LeadByteTable {
  std::array<std::uint8_t, 256> flags{};  // kLeadByte | kTrailByte per byte
};

inline constexpr std::uint8_t kLeadByte = 0x1;
inline constexpr std::uint8_t kTrailByte = 0x2;

inline constexpr unsigned kCodePageUtf8 = 65001;
inline constexpr int kLeadRangeBytes = 12;  // MAX_LEADBYTES: CPINFO's pairs, ended by 0, 0

// The table of `code_page` from the lead byte ranges GetCPInfo gives for it. Code page 932 keeps
// its own trail bytes (0x40-0x7E, 0x80-0xFC); on the others a lead byte pairs with 0x40-0xFE.
// UTF-8 has none: no byte of it can hide a backslash.
LeadByteTable MakeLeadByteTable(unsigned code_page, const std::uint8_t (&lead_ranges)[kLeadRangeBytes]);

// The table of code page 932: what the process reads until the Windows layer sets its own.
const LeadByteTable& CodePage932LeadBytes();

// The process's table. Set once, at process attach, before any other thread can read it.
const LeadByteTable& SystemLeadBytes();
void SetSystemLeadBytes(const LeadByteTable& table);

inline bool IsLeadByte(const LeadByteTable& table, unsigned char b) {
  return (table.flags[b] & kLeadByte) != 0;
}
inline bool IsTrailByte(const LeadByteTable& table, unsigned char b) {
  return (table.flags[b] & kTrailByte) != 0;
}

}  // namespace vlpd
