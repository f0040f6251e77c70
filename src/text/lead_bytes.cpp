#include "text/lead_bytes.h"

#include "text/sjis_class.h"

namespace vlpd {
namespace {

constexpr unsigned kCodePage932 = 932;
// Every trail byte of the other double-byte ANSI code pages (936, 949, 950) lies here; ASCII
// punctuation such as the dot never does.
constexpr unsigned kFirstTrail = 0x40;
constexpr unsigned kLastTrail = 0xFE;

constexpr LeadByteTable MakeCodePage932Table() {
  LeadByteTable table;
  for (unsigned b = 0; b < 256; ++b) {
    table.flags[b] = static_cast<std::uint8_t>(((kSjisClass[b] & kSjisLead) != 0 ? kLeadByte : 0) |
                                               ((kSjisClass[b] & kSjisTrail) != 0 ? kTrailByte : 0));
  }
  return table;
}

constexpr LeadByteTable kCodePage932Table = MakeCodePage932Table();

LeadByteTable system_table = kCodePage932Table;

}  // namespace

LeadByteTable MakeLeadByteTable(unsigned code_page, const std::uint8_t (&lead_ranges)[kLeadRangeBytes]) {
  if (code_page == kCodePage932) return kCodePage932Table;
  LeadByteTable table;
  if (code_page == kCodePageUtf8) return table;
  for (unsigned b = kFirstTrail; b <= kLastTrail; ++b) table.flags[b] = kTrailByte;
  for (int i = 0; i + 1 < kLeadRangeBytes && lead_ranges[i] != 0; i += 2) {
    for (unsigned b = lead_ranges[i]; b <= lead_ranges[i + 1]; ++b) table.flags[b] |= kLeadByte;
  }
  return table;
}

const LeadByteTable& CodePage932LeadBytes() { return kCodePage932Table; }

const LeadByteTable& SystemLeadBytes() { return system_table; }

void SetSystemLeadBytes(const LeadByteTable& table) { system_table = table; }

}  // namespace vlpd
