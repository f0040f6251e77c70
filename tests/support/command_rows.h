// Commands found through the command table by what they do, so that a test names the command it
// drives, not its place: the submenu's shape is written down once, in command_table_test.cpp.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "commands/command_table.h"
#include "text/sjis_class.h"

namespace vlpd::test {

// The offset of the first command doing `action` (with `editor_switch`, when one is given);
// kCommandCount, an offset the handler refuses, for none.
constexpr unsigned OffsetOf(CommandAction action, const char* editor_switch = nullptr) {
  unsigned offset = 0;
  for (const Command& command : kCommands) {
    if (command.action == action &&
        (!editor_switch || std::string_view(editor_switch) == command.editor_switch))
      break;
    ++offset;
  }
  return offset;
}

// The offset of the open command with `editor_switch` ("" for the plain open).
constexpr unsigned OffsetOfSwitch(const char* editor_switch) {
  return OffsetOf(CommandAction::kOpenInEditor, editor_switch);
}

// The submenu position of command `offset`; kSubmenuEntries for none.
constexpr std::size_t PositionOf(unsigned offset) {
  std::size_t position = 0;
  while (position < kSubmenu.size() && kSubmenu[position].offset != static_cast<int>(offset)) ++position;
  return position;
}

// The submenu's positions as a selection of `kind` shows them: E enabled, G grayed, S separator;
// with no kind (a selection without a name to read), every command grayed.
inline std::string SubmenuStates(std::optional<SelectionKind> kind) {
  std::string states;
  for (const SubmenuEntry& entry : kSubmenu)
    states += entry.separator ? 'S' : kind && RuleEnabled(entry.rule, *kind) ? 'E' : 'G';
  return states;
}

// Characters of a code page 932 text: each is one UTF-16 unit.
inline std::size_t CharacterCount(const char* text) {
  std::size_t count = 0;
  for (auto p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++count)
    p += IsSjisLead(p[0]) && IsSjisTrail(p[1]) ? 2 : 1;
  return count;
}

}  // namespace vlpd::test
