// The submenu: its entries in position order, their enable rules, and the selection kinds that
// decide which open items are enabled. Plain data; the Windows layer turns it into menus.
#pragma once

#include <array>
#include <cstdint>

namespace vlpd {

inline constexpr int kCommandCount = 9;     // command offsets 0 to 8
inline constexpr int kSubmenuEntries = 12;  // positions 0 to 11, separators included

// Menu flags as InsertMenuA takes them.
inline constexpr std::uint32_t kItemEnabled = 0x400;  // MF_BYPOSITION | MF_STRING
inline constexpr std::uint32_t kItemGrayed = 0x403;   // MF_BYPOSITION | MF_GRAYED | MF_DISABLED
inline constexpr std::uint32_t kSeparator = 0xC00;    // MF_BYPOSITION | MF_SEPARATOR
inline constexpr std::uint32_t kPopup = 0x410;        // MF_BYPOSITION | MF_POPUP

inline constexpr std::uint32_t kAttributeDirectory = 0x10;  // FILE_ATTRIBUTE_DIRECTORY

enum class SelectionKind { kSeveral, kSingleFile, kSingleProject };
enum class EnableRule { kOpen, kEncoding, kProject, kAlways };

struct SubmenuEntry {
  bool separator;
  const char* label;  // null for a separator
  int offset;         // command offset; -1 for a separator
  EnableRule rule;
};

extern const std::array<SubmenuEntry, kSubmenuEntries> kSubmenu;

// Whether an item under `rule` is enabled for a selection of `kind`.
bool RuleEnabled(EnableRule rule, SelectionKind kind);

// The InsertMenuA flags of `entry` for a selection of `kind`.
std::uint32_t EntryFlags(const SubmenuEntry& entry, SelectionKind kind);

// The kind of a selection of `count` paths whose first is `first_path`; `is_folder` tells
// whether the first path carries the directory attribute. Only the first path is examined.
SelectionKind DecideSelectionKind(bool is_folder, int count, const char* first_path);

// The editor switch of open command `offset` (0 to 6): "" for the plain open, an encoding switch,
// or "/P " to open a project file as text; null for any other offset.
const char* OpenSwitch(int offset);

// The flags test of QueryContextMenu: true when the submenu is to be added for `flags`.
// Only the low four bits count: none set, CMF_VERBSONLY (2) or CMF_EXPLORE (4) accept; the
// rest (CMF_DEFAULTONLY 1 and CMF_NOVERBS 8 alone) reject.
bool MenuFlagsAccepted(std::uint32_t flags);

}  // namespace vlpd
