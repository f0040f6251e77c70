// The commands of the submenu, one row each: label, help text, editor switch, enable rule and
// action. The submenu, the help texts and the dispatch all read this table, so a command's facts
// cannot fall out of step; a command's offset is its row's index. Plain data: the Windows layer
// turns it into menus.
#pragma once

#include <array>
#include <cstdint>
#include <iterator>

#include "commands/handler_text.h"
#include "detect/encoding.h"
#include "selection/selection_kind.h"
#include "text/windows_values.h"

namespace vlpd {

enum class EnableRule { kOpen, kEncoding, kProject, kAlways };
enum class CommandAction { kOpenInEditor, kCreateProject, kCopyNames };

struct Command {
  const char* label;
  const char* help;           // the status-bar help text
  const char* editor_switch;  // kOpenInEditor: the switch ("" for none); null for other actions
  EnableRule rule;
  CommandAction action;
  bool separator_before;  // a separator stands above the item in the submenu
};

// Opens a project file as an ordinary text file.
inline constexpr char kProjectAsTextSwitch[] = "/P ";

// Commands before and after the encodings' rows.
inline constexpr Command kOpenCommand = {
    text::kLabelOpen, text::kHelpOpen, "", EnableRule::kOpen, CommandAction::kOpenInEditor, false};
inline constexpr Command kTrailingCommands[] = {
    {kProjectExtension, text::kHelpOpenProjectAsText, kProjectAsTextSwitch, EnableRule::kProject,
     CommandAction::kOpenInEditor, false},
    {text::kLabelCreateProject, text::kHelpCreateProject, nullptr, EnableRule::kAlways,
     CommandAction::kCreateProject, true},
    {text::kLabelCopyNames, text::kHelpCopyNames, nullptr, EnableRule::kAlways, CommandAction::kCopyNames,
     true},
};

inline constexpr int kCommandCount = 1 + kEncodingCount + static_cast<int>(std::size(kTrailingCommands));

// The plain open, one command an encoding (the first below a separator), then the rest.
constexpr std::array<Command, kCommandCount> MakeCommands() {
  std::array<Command, kCommandCount> commands{};
  std::size_t at = 0;
  commands[at++] = kOpenCommand;
  for (const EncodingRow& encoding : kEncodings) {
    const bool first = at == 1;
    commands[at++] = {encoding.label,
                      encoding.help,
                      encoding.editor_switch,
                      EnableRule::kEncoding,
                      CommandAction::kOpenInEditor,
                      first};
  }
  for (const Command& command : kTrailingCommands) commands[at++] = command;
  return commands;
}

inline constexpr std::array<Command, kCommandCount> kCommands = MakeCommands();

constexpr int CountSeparators() {
  int count = 0;
  for (const Command& command : kCommands) count += command.separator_before ? 1 : 0;
  return count;
}

// Submenu positions, separators included.
inline constexpr int kSubmenuEntries = kCommandCount + CountSeparators();

// One position of the submenu.
struct SubmenuEntry {
  bool separator;
  const char* label;  // null for a separator
  int offset;         // command offset; -1 for a separator
  EnableRule rule;
};

constexpr std::array<SubmenuEntry, kSubmenuEntries> MakeSubmenu() {
  std::array<SubmenuEntry, kSubmenuEntries> entries{};
  std::size_t position = 0;
  for (int offset = 0; offset < kCommandCount; ++offset) {
    const Command& command = kCommands[offset];
    if (command.separator_before) entries[position++] = {true, nullptr, -1, EnableRule::kAlways};
    entries[position++] = {false, command.label, offset, command.rule};
  }
  return entries;
}

inline constexpr std::array<SubmenuEntry, kSubmenuEntries> kSubmenu = MakeSubmenu();

// The submenu as shown with some commands hidden: the kSubmenu positions that remain, in order. A
// separator that would stand first, last or beside another is left out.
struct SubmenuLayout {
  std::array<int, kSubmenuEntries> positions;
  int count;
};

// The layout with the commands of the set bits of `hidden` left out (bit n: offset n).
SubmenuLayout LayOutSubmenu(std::uint32_t hidden);

// The row of command `offset`; null for an offset outside the table.
const Command* CommandAt(long long offset);

// Whether an item under `rule` is enabled for a selection of `kind`.
bool RuleEnabled(EnableRule rule, SelectionKind kind);

// The InsertMenuA flags of `entry` for a selection of `kind`.
std::uint32_t EntryFlags(const SubmenuEntry& entry, SelectionKind kind);

// The editor switch of open command `offset`: "" for the plain open, an encoding switch, or
// "/P " to open a project file as text; null for any other offset.
const char* OpenSwitch(int offset);

// The flags test of QueryContextMenu: true when the submenu is to be added for `flags`.
// Only the four flags above count: none set, kMenuVerbsOnly or kMenuExplore accept; the rest
// (kMenuDefaultOnly and kMenuNoVerbs alone) reject.
bool MenuFlagsAccepted(std::uint32_t flags);

}  // namespace vlpd
