#include "commands/command_table.h"

namespace vlpd {

SubmenuLayout LayOutSubmenu(std::uint32_t hidden) {
  SubmenuLayout layout{};
  int pending_separator = -1;  // a separator seen since the last command shown
  for (int position = 0; position < kSubmenuEntries; ++position) {
    const SubmenuEntry& entry = kSubmenu[static_cast<std::size_t>(position)];
    if (entry.separator) {
      if (layout.count > 0) pending_separator = position;
      continue;
    }
    if ((hidden >> entry.offset & 1u) != 0) continue;
    if (pending_separator >= 0) layout.positions[layout.count++] = pending_separator;
    pending_separator = -1;
    layout.positions[layout.count++] = position;
  }
  return layout;
}

const Command* CommandAt(long long offset) {
  return offset >= 0 && offset < kCommandCount ? &kCommands[offset] : nullptr;
}

bool RuleEnabled(EnableRule rule, SelectionKind kind) {
  switch (rule) {
    case EnableRule::kOpen:
      return kind != SelectionKind::kSeveral;
    case EnableRule::kEncoding:
      return kind == SelectionKind::kSingleFile;
    case EnableRule::kProject:
      return kind == SelectionKind::kSingleProject;
    case EnableRule::kAlways:
      return true;
  }
  return false;
}

std::uint32_t EntryFlags(const SubmenuEntry& entry, SelectionKind kind) {
  if (entry.separator) return kSeparator;
  return RuleEnabled(entry.rule, kind) ? kItemEnabled : kItemGrayed;
}

const char* OpenSwitch(int offset) {
  const Command* command = CommandAt(offset);
  return command != nullptr && command->action == CommandAction::kOpenInEditor ? command->editor_switch
                                                                               : nullptr;
}

bool MenuFlagsAccepted(std::uint32_t flags) {
  const std::uint32_t low = flags & (kMenuDefaultOnly | kMenuVerbsOnly | kMenuExplore | kMenuNoVerbs);
  return low == 0 || (low & (kMenuVerbsOnly | kMenuExplore)) != 0;
}

}  // namespace vlpd
