// A context menu read back and printed as the user would see it: the labels, each handler item's
// state, command offset and help text, and submenus drawn as an indented tree.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

namespace vlpd::demo {

// Prints the menu with each handler item's state and command offset, and its status-bar help
// text when `handler` is given.
void PrintMenu(HMENU menu, const std::string& indent, IContextMenu* handler);

// Prints which command of the menu the demo chooses: its label and command offset.
void PrintChoice(HMENU menu, UINT offset);

}  // namespace vlpd::demo
