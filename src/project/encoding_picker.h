// The member-encoding picker of the save dialog: its entries and the encoding code of each, both
// from the encodings' rows.
#pragma once

#include <array>

#include "detect/encoding.h"
#include "project/project_text.h"

namespace vlpd {

// Automatic recognition, then one entry an encoding row.
inline constexpr int kPickerEntryCount = 1 + kEncodingCount;

constexpr std::array<const char*, kPickerEntryCount> MakePickerEntries() {
  std::array<const char*, kPickerEntryCount> entries{};
  entries[0] = text::kPickerAutomatic;
  for (int i = 0; i < kEncodingCount; ++i) entries[i + 1] = kEncodings[i].label;
  return entries;
}

// The picker's labels in list order.
inline constexpr std::array<const char*, kPickerEntryCount> kPickerEntries = MakePickerEntries();

// The encoding code of the entry at `position`; 0 for automatic recognition and for anything
// else (including no selection, reported as -1).
int PickerEncoding(long position);

}  // namespace vlpd
