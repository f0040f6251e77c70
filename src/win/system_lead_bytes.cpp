#include "win/system_lead_bytes.h"

#include <windows.h>

#include <cstring>

#include "text/lead_bytes.h"

namespace vlpd {

static_assert(kLeadRangeBytes == MAX_LEADBYTES);

void ReadSystemLeadBytes() {
  CPINFO info = {};
  if (!GetCPInfo(CP_ACP, &info)) return;
  std::uint8_t ranges[kLeadRangeBytes];
  std::memcpy(ranges, info.LeadByte, sizeof ranges);
  SetSystemLeadBytes(MakeLeadByteTable(GetACP(), ranges));
}

}  // namespace vlpd
