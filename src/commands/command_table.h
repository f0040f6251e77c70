// The commands of the submenu, one row each: label, help text, editor switch, enable rule, action
// and Windows 11 name. The submenu, the help texts and the dispatch all read this table, so a
// command's facts cannot fall out of step; a command's offset is its row's index. Plain data: the
// Windows layer turns it into menus.
#pragma once

#include <array>
#include <cstddef>
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
  // The canonical name of the command in Windows 11's menu. Explorer knows a verb by it, so it is
  // fixed for good wherever the row moves; a new command takes a new GUID of its own.
  Guid name;
};

// Opens a project file as an ordinary text file.
inline constexpr char kProjectAsTextSwitch[] = "/P ";

// Commands before and after the encodings' rows.
inline constexpr Command kOpenCommand = {
    text::kLabelOpen,
    text::kHelpOpen,
    "",
    EnableRule::kOpen,
    CommandAction::kOpenInEditor,
    false,
    {0x7a290954, 0xa505, 0x4500, {0xae, 0x54, 0xe5, 0x97, 0xcf, 0x0b, 0x9f, 0x54}}};
inline constexpr Command kTrailingCommands[] = {
    {kProjectExtension,
     text::kHelpOpenProjectAsText,
     kProjectAsTextSwitch,
     EnableRule::kProject,
     CommandAction::kOpenInEditor,
     false,
     {0x7a290954, 0xa505, 0x4500, {0xae, 0x54, 0xe5, 0x97, 0xcf, 0x0b, 0x9f, 0x5b}}},
    {text::kLabelCreateProject,
     text::kHelpCreateProject,
     nullptr,
     EnableRule::kAlways,
     CommandAction::kCreateProject,
     true,
     {0x7a290954, 0xa505, 0x4500, {0xae, 0x54, 0xe5, 0x97, 0xcf, 0x0b, 0x9f, 0x5d}}},
    {text::kLabelCopyNames,
     text::kHelpCopyNames,
     nullptr,
     EnableRule::kAlways,
     CommandAction::kCopyNames,
     true,
     {0x7a290954, 0xa505, 0x4500, {0xae, 0x54, 0xe5, 0x97, 0xcf, 0x0b, 0x9f, 0x5f}}},
};

// The plain open's offset: the first row.
inline constexpr int kOpenOffset = 0;

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
                      first,
                      encoding.command_name};
  }
  for (const Command& command : kTrailingCommands) commands[at++] = command;
  return commands;
}

inline constexpr std::array<Command, kCommandCount> kCommands = MakeCommands();

template <std::size_t N>
constexpr int CountSeparators(const std::array<Command, N>& commands) {
  int count = 0;
  for (const Command& command : commands) count += command.separator_before ? 1 : 0;
  return count;
}

// Submenu positions, separators included.
inline constexpr int kSubmenuEntries = kCommandCount + CountSeparators(kCommands);

// One position of the submenu.
struct SubmenuEntry {
  bool separator;
  const char* label;  // null for a separator
  int offset;         // command offset; -1 for a separator
  EnableRule rule;
  Guid name;  // the canonical name in Windows 11's menu
};

// A separator's canonical name: that of the command below it, its last byte one less, so that it
// too stays put when rows are inserted.
constexpr Guid SeparatorName(Guid below) {
  below.data4[7] = static_cast<std::uint8_t>(below.data4[7] - 1);
  return below;
}

// The submenu of `commands`, `Entries` positions long (the commands and their separators).
template <std::size_t Entries, std::size_t N>
constexpr std::array<SubmenuEntry, Entries> MakeSubmenu(const std::array<Command, N>& commands) {
  std::array<SubmenuEntry, Entries> entries{};
  std::size_t position = 0;
  for (std::size_t offset = 0; offset < N; ++offset) {
    const Command& command = commands[offset];
    if (command.separator_before)
      entries[position++] = {true, nullptr, -1, EnableRule::kAlways, SeparatorName(command.name)};
    entries[position++] = {false, command.label, static_cast<int>(offset), command.rule, command.name};
  }
  return entries;
}

inline constexpr std::array<SubmenuEntry, kSubmenuEntries> kSubmenu = MakeSubmenu<kSubmenuEntries>(kCommands);

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
