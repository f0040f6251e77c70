// The member-encoding picker of the save dialog: list position to encoding code.
#pragma once

namespace vlpd {

// The picker lists automatic recognition, Shift-JIS, EUC, UTF-8, UTF-16BE and UTF-16LE in this
// order; the encoding code of the entry at `position`, 0 for anything else (including no
// selection, reported as -1).
int PickerEncoding(long position);

}  // namespace vlpd
