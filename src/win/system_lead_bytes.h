// The lead-byte table of the system's ANSI code page, in which the shell's names reach the path
// helpers.
#pragma once

namespace vlpd {

// Reads GetCPInfo(CP_ACP) and makes it the process's table (text/lead_bytes.h). Called once, at
// process attach; on failure the table of code page 932 stays.
void ReadSystemLeadBytes();

}  // namespace vlpd
