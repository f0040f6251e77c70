#include "commands/command_table.h"

namespace vlpd {

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
